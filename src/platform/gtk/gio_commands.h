#pragma once

#include <giomm/application.h>

#include <functional>
#include <string>

#include "platform/command_inbox.h"

namespace blindfold::gtk {

// The application's name on the session bus for one X display: one Blindfold
// runs per display, so each display has its own.
std::string ApplicationIdForDisplay(const std::string& displayName);

// Commands between starts of the program on one display, through GApplication
// on the session bus: the running program is the application's primary
// instance, each command one of its actions ("toggle", "panic", "panel",
// "quit"), and a later start with a command hands it its command line and
// ends with the answer as its exit status.
class GioCommandInbox final : public CommandInbox {
 public:
  // Says on standard error when another program holds the name, and takes it
  // as soon as that program lets go.
  explicit GioCommandInbox(const std::string& applicationId);
  GioCommandInbox(const GioCommandInbox&) = delete;
  GioCommandInbox& operator=(const GioCommandInbox&) = delete;
  // Sends the answers still on their way: the last command may have been
  // "quit".
  ~GioCommandInbox() override;

  void SetReceivedHandler(std::function<CommandOutcome(Command)> onReceived) override;

 private:
  int CommandLineReceived(const Glib::RefPtr<Gio::ApplicationCommandLine>& commandLine);
  void Run(Command command);
  void Register();
  void WaitForTheName();

  std::string applicationId_;
  Glib::RefPtr<Gio::Application> application_;
  guint watch_ = 0;
  std::function<CommandOutcome(Command)> onReceived_;
  // What the last command's action came to.
  CommandOutcome lastOutcome_ = CommandOutcome::Busy;
};

// Sends `command` to the primary instance and waits for its answer. Says in
// `problem` why it could not be sent, when it knows.
Delivery SendToRunningInstance(const std::string& applicationId, Command command, std::string& problem);

}  // namespace blindfold::gtk
