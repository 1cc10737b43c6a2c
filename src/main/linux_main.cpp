// Blindfold's entry point on Linux: wires the desktop's door and the GTK panel
// to the logic and runs the GLib main loop.
#include <glib-unix.h>
#include <gtkmm.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "installed_files.h"
#include "linux_doors.h"

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/restore.h"
#include "app/run.h"
#include "app/startup.h"
#include "core/log_sinks.h"
#include "core/texts.h"
#include "core/version.h"
#include "platform/gtk/callback_edge.h"
#include "platform/gtk/gio_commands.h"
#include "platform/gtk/gtk_background.h"
#include "platform/gtk/gtk_accessibility.h"
#include "platform/gtk/gtk_dialogs.h"
#include "platform/gtk/gtk_panel.h"
#include "platform/gtk/gtk_tray.h"
#include "platform/gtk/sni_tray.h"
#include "platform/linux/key_file_registry.h"
#include "platform/linux/linux_services.h"
#include "platform/linux/pulse_mixer.h"
#include "settings/schema.h"
// Xlib's macros last: they would break the headers above.
#include <gdk/gdkx.h>

using namespace blindfold;
using namespace blindfold::gtk;
using namespace blindfold::linux_desktop;

namespace {

// The GTK panel and the GLib main loop. The session's end reaches a program as
// SIGTERM (or SIGHUP from its terminal): the logic answers it as Windows' end
// of session. Unlike Windows' end, it may also be a plain kill while the
// session goes on, so the hidden windows come back first.
class GtkFrontEnd final : public FrontEnd {
 public:
  explicit GtkFrontEnd(GtkPanel& panel) : panel_(panel) {
    panel_.SetOnUnloaded([this] {
      running_ = false;
      // Unloaded before the loop runs (the session ended in a dialog of the
      // start), there is no loop to end: the loop is then not run at all.
      if (Gtk::Main::level() > 0) Gtk::Main::quit();
    });
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
      g_unix_signal_add(
          signal,
          [](gpointer data) -> gboolean {
            auto* self = static_cast<GtkFrontEnd*>(data);
            ShowWindowsBeforeDying();
            self->sessionEnded_ = true;
            AtTheEdge("the end of the session", [self] { self->panel_.SessionEnding(); });
            // A dialog waiting for the user would hold the program up until
            // answered, and the session's end waits for nobody.
            EndModalDialogs();
            return G_SOURCE_CONTINUE;
          },
          this);
    }
  }
  void Attach(PanelModel& panel, PanelEvents& events) override { panel_.Attach(panel, events); }
  void Render() override { panel_.Render(); }
  void RunLoop() override {
    if (running_) Gtk::Main::run();
  }
  bool SessionEnded() override { return sessionEnded_; }

 private:
  GtkPanel& panel_;
  bool running_ = true;
  bool sessionEnded_ = false;
};

// "blindfold --restore", the rescue for windows left hidden: shows them and
// ends. It claims no single instance, so it works beside a Blindfold that has
// stopped answering as well as after one that died.
int RunRestoreCommand(const std::string& session, WindowManager& windows) {
  KeyFileRegistry registry(SettingsPaths::ForSession(session), [](const std::string& message) {
    std::cerr << message << '\n';
  });
  Gtk::Window owner;
  GtkLoginDialog loginDialog(owner);
  NettleCrypto crypto;
  GlibBackground background;
  PulseMixer mixer;
  if (blindfold::RunRestoreCommand(registry, windows, mixer, loginDialog, crypto, background)) return kExitDone;
  std::cerr << texts::kCommandRefused << '\n';
  return kExitFailed;
}

// A command for the Blindfold running in `session`, which `claimed` says runs.
int SendCommand(const std::string& session, bool claimed, Command command) {
  Gio::init();
  if (!claimed) {
    const CommandEnd end = EndOfCommand(Delivery::NothingRuns);
    std::cerr << end.message << '\n';
    return end.exitCode;
  }
  std::string problem;
  const CommandEnd end = EndOfCommand(SendToRunningInstance(ApplicationIdForDisplay(session), command, problem));
  if (!end.message.empty()) std::cerr << (problem.empty() ? end.message : problem) << '\n';
  return end.exitCode;
}

// The first instance's run in `session` (an X display or a Wayland socket's
// name), once `instance` has claimed it: the same on every desktop.
int RunStart(const std::string& session, SingleInstance& instance, const DesktopDoors& doors) {
  // On the bus as soon as the session is ours, so that a command sent from
  // now on waits for the logic rather than finding no one.
  std::optional<GioCommandInbox> commands;
  if (!instance.AnotherInstanceIsRunning()) commands.emplace(ApplicationIdForDisplay(session));
  LetGoneWidgetsAnswerAsDefunct();
  GtkMessageBoxes messageBoxes;
  // What the store cannot read or keep is told at start, or, once running,
  // when the program is next idle: a write that fails in the middle of a hide
  // must not put a dialog, and its loop, between the key and the windows.
  KeyFileRegistry registry(SettingsPaths::ForSession(session), [&messageBoxes](const std::string& message) {
    const auto tell = [&messageBoxes, message] {
      messageBoxes.Show(message, std::string(texts::kProgramName), MessageBoxStyle::WarningOk);
    };
    if (gtk_main_level() == 0) return tell();
    Glib::signal_idle().connect_once([tell] { AtTheEdge("a message of the store", tell); });
  });
  SettingsStore store(registry);
  const StartupRoad road = Startup(instance, store, messageBoxes);
  if (road == StartupRoad::SecondInstance) {
    if (doors.bringRunningPanelForward) doors.bringRunningPanelForward();
    return 0;
  }

  InstalledFiles files;
  GtkPanel panel(MainWindow::kPanelWidthTwips, MainWindow::kPanelHeightTwips);
  panel.SetProgramIcon(files.ShippedFile(kDefaultTrayIconFile), files.ShippedFile("blindfold.svg"));
  if (doors.panelHandle) panel.SetHandleFinder(doors.panelHandle);
  Gtk::Window::set_default_icon(panel.Icon() ? panel.Icon() : Glib::RefPtr<Gdk::Pixbuf>());
  messageBoxes.owner = &panel.Window();
  GtkLoginDialog loginDialog(panel.Window());
  NettleCrypto crypto;
  PulseMixer mixer;
  GtkNotificationArea xembedTray(panel);
  StatusNotifierArea statusNotifierTray(panel);
  // The tray: XEmbed on an X display, the desktop's StatusNotifierItem host
  // on Wayland.
  NotificationArea& notificationArea = GDK_IS_X11_DISPLAY(gdk_display_get_default())
                                           ? static_cast<NotificationArea&>(xembedTray)
                                           : statusNotifierTray;
  GtkPopupMenu popupMenu;
  GtkFileDialog fileDialog(panel.Window());
  GioShell shell;
  ClockRandom random;
  GtkTipsDialog tipsDialog(panel.Window());
  GlibBackground background;
  XdgAutostart autostart(SettingsPaths::ForSession(session), files.ProgramFolder() + "/" + files.ExecutableBaseName());
  GtkFrontEnd frontEnd(panel);
  return RunFirstInstance(Platform{.windows = doors.windows,
                                   .registry = registry,
                                   .panelWindow = panel,
                                   .files = files,
                                   .hotkeys = doors.hotkeys,
                                   .messageBoxes = messageBoxes,
                                   .loginDialog = loginDialog,
                                   .crypto = crypto,
                                   .mixer = mixer,
                                   .notificationArea = notificationArea,
                                   .popupMenu = popupMenu,
                                   .fileDialog = fileDialog,
                                   .shell = shell,
                                   .random = random,
                                   .tipsDialog = tipsDialog,
                                   .windowWatch = doors.windowWatch,
                                   .background = background,
                                   .autostart = autostart,
                                   .commands = *commands},
                          frontEnd, road);
}

// The run of the desktop's door `row`: the same on every desktop, each step
// asking the door for what it makes its own way.
int RunDoor(const DoorRow& row, const CommandLine& command, char* program) {
  // Made before the door's parts, so that they end while GTK is still there.
  std::optional<Gtk::Main> kit;
  InstalledFiles files;
  const std::unique_ptr<OpenDoor> door = row.open({.files = files, .endRun = [] { Gtk::Main::quit(); }});
  if (!door) return 1;
  if (command.kind == CommandLine::Kind::Send) return SendCommand(door->Session(), door->Claimed(), command.command);
  if (!door->Reach()) return 1;
  gdk_set_allowed_backends(row.gdkBackend);
  // GTK's own options are not taken: every argument was read before.
  int gtkArgc = 1;
  char** gtkArgv = &program;
  kit.emplace(gtkArgc, gtkArgv);
  const bool rescue = command.kind == CommandLine::Kind::Restore;
  WindowManager* windows = door->Windows(rescue);
  if (!windows) {
    if (const std::string why = door->WhyNoWindows(); !why.empty() && !rescue) {
      Gtk::MessageDialog dialog(why, false, Gtk::MESSAGE_ERROR, Gtk::BUTTONS_OK, true);
      dialog.set_title(std::string(texts::kProgramName));
      dialog.run();
    }
    return 1;
  }
  if (rescue) return RunRestoreCommand(door->Session(), *windows);
  // Claimed before anything else, so that a second start is recognised at once.
  SingleInstance& instance = door->Instance();
  return RunStart(door->Session(), instance, door->Doors());
}

}  // namespace

int main(int argc, char** argv) {
  // Texts from GLib and the bus are turned into the user's encoding for
  // printing: the locale must be the user's before anything is printed.
  std::setlocale(LC_ALL, "");
  // BLINDFOLD_LOG=info (or error, warning, debug) writes what the program
  // decided and why to standard error, or to the file BLINDFOLD_LOG_FILE names.
  log::StartWithSetting(std::getenv("BLINDFOLD_LOG"), [] {
    const char* path = std::getenv("BLINDFOLD_LOG_FILE");
    return path ? std::fopen(path, "a") : nullptr;
  });
  // The hidden windows come back before the program dies, however it dies.
  SayLastWordsOnEveryFatalPath(&ShowWindowsBeforeDying);
  const CommandLine command = ReadCommandLine(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
  switch (command.kind) {
    case CommandLine::Kind::Help:
      std::cout << texts::Usage("blindfold", CommandsHelp());
      return kExitDone;
    case CommandLine::Kind::Version:
      std::cout << texts::kProgramName << ' ' << VersionText() << '\n';
      return kExitDone;
    case CommandLine::Kind::Usage:
      std::cerr << texts::UnknownOption("blindfold", command.wrong) << '\n';
      return kExitUsage;
    case CommandLine::Kind::Start:
    case CommandLine::Kind::Restore:
    case CommandLine::Kind::Send:
      break;
  }
  char* program = argv[0] ? argv[0] : const_cast<char*>("blindfold");
  // The first door whose desktop this is; the last row always is.
  for (const DoorRow& row : DesktopDoorRows()) {
    if (!row.detect()) continue;
    log::Info("door", "the desktop's door is ", row.name);
    return RunDoor(row, command, program);
  }
  return 1;
}
