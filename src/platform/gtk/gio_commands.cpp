#include "platform/gtk/gio_commands.h"

#include <giomm/applicationcommandline.h>
#include <giomm/dbusconnection.h>

#include <unistd.h>

#include <array>
#include <csignal>
#include <iostream>
#include <optional>
#include <utility>

#include "core/log.h"
#include "core/texts.h"
#include "platform/gtk/callback_edge.h"
#include "platform/linux/glib_handles.h"
#include "platform/linux/text_rules.h"

namespace blindfold::gtk {

using linux_desktop::UniqueStrings;
namespace {

// The exit statuses a later start gets back; anything else is a failure on
// the way.
constexpr int kStatusDone = 0;
constexpr int kStatusRefused = 10;
constexpr int kStatusUnknown = 11;
constexpr int kStatusBusy = 12;
constexpr int kStatusFailed = 13;
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
    log::Warning("command", "no session bus: ", error.what().raw());
    return std::nullopt;
  }
}

// The object path GApplication gives the application `applicationId`.
std::string ObjectPathOf(const std::string& applicationId) {
  std::string path = "/";
  for (const char c : applicationId) path += c == '.' ? '/' : c == '-' ? '_' : c;
  return path;
}

// Whether the owner of `applicationId` answers, in time, as an application
// that takes command lines: another program may hold the name, and a call it
// never answers would wait for good.
enum class Owner { Application, Another, Silent };
Owner OwnerOf(const std::string& applicationId) {
  constexpr int kAnswerWithinMs = 10000;
  try {
    const auto bus = Gio::DBus::Connection::get_sync(Gio::DBus::BUS_TYPE_SESSION);
    const Glib::VariantContainerBase reply =
        bus->call_sync(ObjectPathOf(applicationId), "org.freedesktop.DBus.Introspectable", "Introspect",
                       Glib::VariantContainerBase(), applicationId, kAnswerWithinMs);
    Glib::Variant<Glib::ustring> xml;
    reply.get_child(xml, 0);
    return xml.get().raw().find("org.gtk.Application") != std::string::npos ? Owner::Application : Owner::Another;
  } catch (const Glib::Error& error) {
    log::Warning("command", "the owner of ", applicationId, " did not answer as Blindfold: ", error.what().raw());
    return error.matches(G_IO_ERROR, G_IO_ERROR_TIMED_OUT) ? Owner::Silent : Owner::Another;
  }
}

// The answer may wait on the user, at a password asked for; past this, the
// command gives up and says so, as a program that stopped answering must not
// keep it waiting for good.
constexpr unsigned kAnswerWithinSeconds = 300;
std::string noAnswerText;
void GiveUpWaiting(int) {
  if (write(STDERR_FILENO, noAnswerText.data(), noAnswerText.size()) < 0) {
    // Nothing more to be done: the exit status says it.
  }
  _exit(1);
}

}  // namespace

std::string ApplicationIdForDisplay(const std::string& displayName) {
  // The display as the settings and the lock know it: ":0.0", "unix:0" and
  // ":0" are one.
  return "example.blindfold.Blindfold.Display_" +
         linux_desktop::BusNameElement(linux_desktop::SessionKeyOfDisplay(displayName));
}

GioCommandInbox::GioCommandInbox(const std::string& applicationId) : applicationId_(applicationId) { Register(); }

// The name is asked after first: registered while another program holds it,
// the application would wait on that program, which may never answer.
void GioCommandInbox::Register() {
  application_ = Gio::Application::create(applicationId_, Gio::APPLICATION_HANDLES_COMMAND_LINE);
  for (const auto& [command, word, help] : kCommandWords) {
    application_->add_action(Glib::ustring(word.data(), word.size()), [this, command = command] { Run(command); });
  }
  application_->signal_command_line().connect(
      [this](const Glib::RefPtr<Gio::ApplicationCommandLine>& commandLine) {
        return AtTheEdge("a command", kStatusFailed, [&] { return CommandLineReceived(commandLine); });
      },
      false);
  // A plain launch through the bus ("gapplication launch") finds the program
  // running; there is nothing more to do.
  application_->signal_activate().connect([] {});
  // A Blindfold that has just ended may hold it a moment longer.
  std::optional<bool> held = NameHasOwner(applicationId_);
  for (int again = 0; held && *held && again < 10; ++again) {
    g_usleep(100 * 1000);
    held = NameHasOwner(applicationId_);
  }
  if (!held) {
    log::Warning("command", "not on the session bus: commands will not reach this Blindfold");
    return;
  }
  bool taken = false;
  if (!*held) {
    try {
      taken = application_->register_application() && application_->get_dbus_connection() &&
              !application_->is_remote();
    } catch (const Glib::Error& error) {
      log::Warning("command", "not registered (", error.what().raw(), "): commands will not reach this Blindfold");
      return;
    }
  }
  if (taken) {
    log::Info("command", "commands reach this Blindfold as ", applicationId_);
    return;
  }
  std::cerr << texts::BusNameHeldByAnother(applicationId_) << std::endl;
  log::Warning("command", "another program holds ", applicationId_, ": waiting for it to let go");
  WaitForTheName();
}

void GioCommandInbox::WaitForTheName() {
  watch_ = g_bus_watch_name(
      G_BUS_TYPE_SESSION, applicationId_.c_str(), G_BUS_NAME_WATCHER_FLAGS_NONE, nullptr,
      [](GDBusConnection*, const gchar*, gpointer data) {
        auto* self = static_cast<GioCommandInbox*>(data);
        // Not from inside the watch's own callback, which the unwatch ends.
        g_idle_add(
            [](gpointer data) -> gboolean {
              auto* self = static_cast<GioCommandInbox*>(data);
              if (!self->watch_) return G_SOURCE_REMOVE;
              g_bus_unwatch_name(std::exchange(self->watch_, 0));
              log::Info("command", "the other program let go of ", self->applicationId_, ": taking it");
              AtTheEdge("taking the bus name", [self] { self->Register(); });
              return G_SOURCE_REMOVE;
            },
            self);
      },
      this, nullptr);
}

GioCommandInbox::~GioCommandInbox() {
  if (watch_) g_bus_unwatch_name(watch_);
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

// A command whose event threw is answered as one that failed.
void GioCommandInbox::Run(Command command) {
  lastOutcome_ = AtTheEdge("a command", CommandOutcome::Failed,
                           [&] { return onReceived_ ? onReceived_(command) : CommandOutcome::Busy; });
}

int GioCommandInbox::CommandLineReceived(const Glib::RefPtr<Gio::ApplicationCommandLine>& commandLine) {
  int count = 0;
  const UniqueStrings arguments(commandLine->get_arguments(count));
  std::string word;
  if (count == 2 && arguments.Get()[1]) word = arguments.Get()[1];
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
    case CommandOutcome::Failed:
      return kStatusFailed;
  }
  return kStatusUnknown;
}

Delivery SendToRunningInstance(const std::string& applicationId, Command command, std::string& problem) {
  std::string program = "blindfold";
  std::string option = OptionOf(command);
  std::array<char*, 3> arguments = {program.data(), option.data(), nullptr};
  const gint64 start = g_get_monotonic_time();
  bool answeredBusy = false;
  bool checkedOwner = false;
  for (;;) {
    if (g_get_monotonic_time() - start > kBusyForUs) return Delivery::NoAnswer;
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
    // A command waits on whoever holds the name for as long as it takes:
    // first make sure it is a Blindfold that answers.
    if (!checkedOwner) {
      switch (OwnerOf(applicationId)) {
        case Owner::Another:
          problem = texts::CommandNameHeldByAnother(applicationId);
          return Delivery::NotTaken;
        case Owner::Silent:
          return Delivery::NoAnswer;
        case Owner::Application:
          break;
      }
      checkedOwner = true;
    }
    // A launcher never takes the name itself, so it cannot stand in the way
    // of a Blindfold starting at the same moment.
    const auto application = Gio::Application::create(applicationId, Gio::APPLICATION_HANDLES_COMMAND_LINE |
                                                                          Gio::APPLICATION_IS_LAUNCHER);
    try {
      if (!application->register_application()) return Delivery::NotTaken;
    } catch (const Glib::Error& error) {
      log::Warning("command", "not registered: ", error.what().raw());
      answeredBusy = true;  // named a moment ago, gone now: it is ending
      continue;
    }
    noAnswerText = std::string(texts::kCommandNotAnswered) + "\n";
    std::signal(SIGALRM, &GiveUpWaiting);
    alarm(kAnswerWithinSeconds);
    const int status = application->run(static_cast<int>(arguments.size()) - 1, arguments.data());
    alarm(0);
    switch (status) {
      case kStatusDone:
        return Delivery::Done;
      case kStatusRefused:
        return Delivery::Refused;
      case kStatusFailed:
        return Delivery::Failed;
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
