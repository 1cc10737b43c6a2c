#include "platform/gtk/gio_commands.h"

#include <giomm/applicationcommandline.h>
#include <giomm/dbusconnection.h>

#include <array>
#include <utility>

#include "core/log.h"
#include "core/texts.h"

namespace blindfold::gtk {
namespace {

// The exit statuses a later start gets back; anything else is a failure on
// the way.
constexpr int kStatusDone = 0;
constexpr int kStatusRefused = 10;
constexpr int kStatusUnknown = 11;

}  // namespace

std::string ApplicationIdForDisplay(const std::string& displayName) {
  // Each element of a name on the bus is letters, digits and "_" only.
  std::string element = "Display_";
  for (const char c : displayName) {
    const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    element += kept ? c : '_';
  }
  return "example.blindfold.Blindfold." + element;
}

GioCommandInbox::GioCommandInbox(const std::string& applicationId)
    : application_(Gio::Application::create(applicationId, Gio::APPLICATION_HANDLES_COMMAND_LINE)) {
  for (const auto& [command, word] : kCommandWords) {
    application_->add_action(Glib::ustring(word.data(), word.size()), [this, command = command] { Run(command); });
  }
  application_->signal_command_line().connect(sigc::mem_fun(*this, &GioCommandInbox::CommandLineReceived), false);
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
  lastOutcome_ = onReceived_ ? std::optional(onReceived_(command)) : std::nullopt;
}

int GioCommandInbox::CommandLineReceived(const Glib::RefPtr<Gio::ApplicationCommandLine>& commandLine) {
  int count = 0;
  char** arguments = commandLine->get_arguments(count);
  std::string word;
  if (count == 2 && arguments[1]) word = arguments[1];
  g_strfreev(arguments);
  if (!word.starts_with("--") || !CommandOfWord(std::string_view(word).substr(2))) return kStatusUnknown;
  // The command runs as the action of its name would.
  lastOutcome_.reset();
  application_->activate_action(word.substr(2));
  if (!lastOutcome_) return kStatusUnknown;
  return *lastOutcome_ == CommandOutcome::Done ? kStatusDone : kStatusRefused;
}

Delivery SendToRunningInstance(const std::string& applicationId, Command command, std::string& problem) {
  try {
    const auto bus = Gio::DBus::Connection::get_sync(Gio::DBus::BUS_TYPE_SESSION);
    const Glib::VariantContainerBase owned = bus->call_sync(
        "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
        Glib::VariantContainerBase::create_tuple(Glib::Variant<Glib::ustring>::create(applicationId)),
        "org.freedesktop.DBus");
    Glib::Variant<bool> hasOwner;
    owned.get_child(hasOwner, 0);
    if (!hasOwner.get()) {
      problem = std::string(texts::kRunningWithoutSessionBus);
      return Delivery::NotTaken;
    }
  } catch (const Glib::Error& error) {
    log::Warning("command", "no session bus: ", error.what());
    problem = std::string(texts::kCommandsNeedSessionBus);
    return Delivery::NotTaken;
  }
  // A launcher never takes the name itself, so it cannot stand in the way of
  // a Blindfold starting at the same moment.
  const auto application = Gio::Application::create(applicationId, Gio::APPLICATION_HANDLES_COMMAND_LINE |
                                                                        Gio::APPLICATION_IS_LAUNCHER);
  try {
    if (!application->register_application()) return Delivery::NotTaken;
  } catch (const Glib::Error& error) {
    log::Warning("command", "not registered: ", error.what());
    return Delivery::NotTaken;
  }
  std::string program = "blindfold";
  std::string option = "--" + std::string(WordOf(command));
  std::array<char*, 3> arguments = {program.data(), option.data(), nullptr};
  switch (application->run(2, arguments.data())) {
    case kStatusDone:
      return Delivery::Done;
    case kStatusRefused:
      return Delivery::Refused;
    default:
      return Delivery::NotTaken;
  }
}

}  // namespace blindfold::gtk
