#include "platform/gtk/gio_commands.h"

#include <giomm/applicationcommandline.h>
#include <giomm/dbusconnection.h>

#include <array>
#include <optional>
#include <utility>

#include "core/log.h"
#include "core/texts.h"
#include "platform/x11/window_rules.h"

namespace blindfold::gtk {
namespace {

// The exit statuses a later start gets back; anything else is a failure on
// the way.
constexpr int kStatusDone = 0;
constexpr int kStatusRefused = 10;
constexpr int kStatusUnknown = 11;
constexpr int kStatusBusy = 12;
// How long a sender asks again while the program is busy or starting, and
// how often.
constexpr gint64 kBusyForUs = 30 * G_USEC_PER_SEC;
constexpr gint64 kStartingForUs = 3 * G_USEC_PER_SEC;
constexpr unsigned kPauseUs = 50 * 1000;

// Whether a program holds `name` on the session bus; nothing without a bus.
std::optional<bool> NameHasOwner(const std::string& name) {
  try {
    const auto bus = Gio::DBus::Connection::get_sync(Gio::DBus::BUS_TYPE_SESSION);
    const Glib::VariantContainerBase owned = bus->call_sync(
        "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
        Glib::VariantContainerBase::create_tuple(Glib::Variant<Glib::ustring>::create(name)),
        "org.freedesktop.DBus");
    Glib::Variant<bool> hasOwner;
    owned.get_child(hasOwner, 0);
    return hasOwner.get();
  } catch (const Glib::Error& error) {
    log::Warning("command", "no session bus: ", error.what());
    return std::nullopt;
  }
}

}  // namespace

std::string ApplicationIdForDisplay(const std::string& displayName) {
  // The display as the settings and the lock know it: ":0.0", "unix:0" and
  // ":0" are one.
  return "example.blindfold.Blindfold.Display_" + x11::BusNameElement(x11::SessionKeyOfDisplay(displayName));
}

GioCommandInbox::GioCommandInbox(const std::string& applicationId)
    : application_(Gio::Application::create(applicationId, Gio::APPLICATION_HANDLES_COMMAND_LINE)) {
  for (const auto& [command, word] : kCommandWords) {
    application_->add_action(Glib::ustring(word.data(), word.size()), [this, command = command] { Run(command); });
  }
  application_->signal_command_line().connect(sigc::mem_fun(*this, &GioCommandInbox::CommandLineReceived), false);
  // A plain launch through the bus ("gapplication launch") finds the program
  // running; there is nothing more to do.
  application_->signal_activate().connect([] {});
  try {
    if (!application_->register_application() || !application_->get_dbus_connection()) {
      log::Warning("command", "not on the session bus: commands will not reach this Blindfold");
    } else if (application_->is_remote()) {
      log::Warning("command", "another program holds ", applicationId, ": commands will not reach this Blindfold");
    }
  } catch (const Glib::Error& error) {
    log::Warning("command", "no session bus (", error.what(), "): commands will not reach this Blindfold");
  }
}

GioCommandInbox::~GioCommandInbox() {
  if (const auto connection = application_->get_dbus_connection()) {
    try {
      connection->flush_sync();
    } catch (const Glib::Error&) {
    }
  }
}

void GioCommandInbox::SetReceivedHandler(std::function<CommandOutcome(Command)> onReceived) {
  onReceived_ = std::move(onReceived);
}

void GioCommandInbox::Run(Command command) {
  lastOutcome_ = onReceived_ ? onReceived_(command) : CommandOutcome::Busy;
}

int GioCommandInbox::CommandLineReceived(const Glib::RefPtr<Gio::ApplicationCommandLine>& commandLine) {
  int count = 0;
  char** arguments = commandLine->get_arguments(count);
  std::string word;
  if (count == 2 && arguments[1]) word = arguments[1];
  g_strfreev(arguments);
  if (!word.starts_with("--") || !CommandOfWord(std::string_view(word).substr(2))) return kStatusUnknown;
  // The command runs as the action of its name would.
  lastOutcome_ = CommandOutcome::Busy;
  application_->activate_action(word.substr(2));
  switch (lastOutcome_) {
    case CommandOutcome::Done:
      return kStatusDone;
    case CommandOutcome::Refused:
      return kStatusRefused;
    case CommandOutcome::Busy:
      return kStatusBusy;
  }
  return kStatusUnknown;
}

Delivery SendToRunningInstance(const std::string& applicationId, Command command, std::string& problem) {
  std::string program = "blindfold";
  std::string option = OptionOf(command);
  std::array<char*, 3> arguments = {program.data(), option.data(), nullptr};
  const gint64 start = g_get_monotonic_time();
  bool answeredBusy = false;
  for (;;) {
    const std::optional<bool> named = NameHasOwner(applicationId);
    if (!named) {
      problem = std::string(texts::kCommandsNeedSessionBus);
      return Delivery::NotTaken;
    }
    if (!*named) {
      // Busy, then gone: it was ending.
      if (answeredBusy) return Delivery::NothingRuns;
      // The display is claimed a moment before the name is.
      if (g_get_monotonic_time() - start < kStartingForUs) {
        g_usleep(kPauseUs);
        continue;
      }
      problem = std::string(texts::kRunningWithoutSessionBus);
      return Delivery::NotTaken;
    }
    // A launcher never takes the name itself, so it cannot stand in the way
    // of a Blindfold starting at the same moment.
    const auto application = Gio::Application::create(applicationId, Gio::APPLICATION_HANDLES_COMMAND_LINE |
                                                                          Gio::APPLICATION_IS_LAUNCHER);
    try {
      if (!application->register_application()) return Delivery::NotTaken;
    } catch (const Glib::Error& error) {
      log::Warning("command", "not registered: ", error.what());
      answeredBusy = true;  // named a moment ago, gone now: it is ending
      continue;
    }
    switch (application->run(static_cast<int>(arguments.size()) - 1, arguments.data())) {
      case kStatusDone:
        return Delivery::Done;
      case kStatusRefused:
        return Delivery::Refused;
      case kStatusBusy:
        if (g_get_monotonic_time() - start > kBusyForUs) return Delivery::NoAnswer;
        answeredBusy = true;
        g_usleep(kPauseUs);
        continue;
      default:
        return Delivery::NotTaken;
    }
  }
}

}  // namespace blindfold::gtk
