// Blindfold's entry point on Linux: wires the X11 platform and the GTK panel to
// the logic and runs the GLib main loop.
#include <glib-unix.h>
#include <gtkmm.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <iostream>
#include <optional>

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
#include "platform/kwin/kwin_desktop.h"
#include "platform/sway/sway_desktop.h"
#include "platform/x11/door_record.h"
#include "platform/x11/key_file_registry.h"
#include "platform/x11/pulse_mixer.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_hotkey.h"
#include "platform/x11/x11_services.h"
#include "platform/x11/window_rules.h"
#include "platform/x11/x11_window_manager.h"
#include "settings/schema.h"
// Xlib's macros last: they would break the headers above.
#include <gdk/gdkx.h>

using namespace blindfold;
using namespace blindfold::gtk;
using namespace blindfold::x11;

namespace {

// The files the program ships with sit beside it in the build folder;
// installed, they live in the data folder beside bin instead.
class InstalledFiles final : public ProgramFiles {
 public:
  std::string ProgramFolder() override { return files_.ProgramFolder(); }
  std::string ShippedFile(std::string_view name) override {
    const std::string beside = files_.ShippedFile(name);
    return files_.FileExists(beside) ? beside : DataFolder() + "/" + std::string(name);
  }
  std::string ExecutableBaseName() override { return files_.ExecutableBaseName(); }
  bool FileExists(const std::string& path) override { return files_.FileExists(path); }
  std::optional<std::string> ReadFile(const std::string& path) override { return files_.ReadFile(path); }

 private:
  // The data folder of an installed program, or the build folder.
  std::string DataFolder() {
    const std::string folder = files_.ProgramFolder();
    if (folder.size() > 4 && folder.ends_with("/bin")) {
      const std::string shared = folder.substr(0, folder.size() - 4) + "/share/blindfold";
      if (g_file_test(shared.c_str(), G_FILE_TEST_IS_DIR)) return shared;
    }
    return folder;
  }

  PosixProgramFiles files_;
};

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
  if (blindfold::RunRestoreCommand(registry, windows, loginDialog, crypto, background)) return kExitDone;
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

// What differs from one desktop to the next: how other programs' windows are
// reached, followed, and how a key anywhere reaches this program.
struct DesktopDoors {
  WindowManager& windows;
  WindowWatch& windowWatch;
  // One per row of kHotkeys.
  PerHotkey<HotkeyControl*> hotkeys;
  // Names the panel to the window manager where GDK cannot.
  std::function<WindowHandle()> panelHandle;
  // A second start, as from the menu: brings the running Blindfold's open
  // panel to the front, where the desktop lets it.
  std::function<void()> bringRunningPanelForward;
};

// The ports of hotkeys a door made, one per row of kHotkeys.
template <typename Hotkey>
PerHotkey<HotkeyControl*> PortsOf(const PerHotkey<std::unique_ptr<Hotkey>>& hotkeys) {
  return MakePerHotkey([&hotkeys](const HotkeyRow& row) -> HotkeyControl* { return hotkeys[row.id].get(); });
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

// On an X display: Xlib and EWMH for the windows, key grabs for the keys.
int RunOnX11(const CommandLine& command, char* program) {
  // The windows are hidden through the X server, so GTK must draw through it
  // too, even where a Wayland compositor offers X as a guest.
  gdk_set_allowed_backends("x11");
  auto x = X11Connection::Open();
  if (!x) {
    std::cerr << texts::kNeedsX11Session << '\n';
    return 1;
  }
  if (command.kind == CommandLine::Kind::Send) {
    return SendCommand(x->Name(), X11SingleInstance::IsClaimed(*x), command.command);
  }
  // GTK's own options are not taken: every argument was read before.
  int gtkArgc = 1;
  char** gtkArgv = &program;
  Gtk::Main kit(gtkArgc, gtkArgv);
  // GTK ends the program on an X error that none of its own traps expected.
  // Other programs' windows vanish under it all the time (a tray host killed
  // mid-draw leaves errors about its windows, and the hidden windows would die
  // hidden with Blindfold): an outer trap, never taken down, turns those into
  // errors ignored, while GTK's own traps inside it still see theirs.
  gdk_x11_display_error_trap_push(gdk_display_get_default());

  X11WindowManager x11Windows(*x);
  x11Windows.KeepMarkKeyIn(SettingsPaths::ForSession(x->Name()).markKeyFile);
  // i3 keeps its windows in a tree that EWMH tells only in part: its IPC,
  // the protocol sway speaks, reaches them as it does under sway. The keys stay
  // X grabs, which i3 leaves to its programs.
  const char* i3Socket = std::getenv("I3SOCK");
  const auto i3 = i3Socket && *i3Socket ? sway::SwayIpc::Connect(i3Socket) : nullptr;
  const auto i3Events = i3 ? sway::SwayEvents::Connect(i3Socket) : nullptr;
  std::optional<sway::SwayWindowManager> i3Windows;
  if (i3 && i3Events) {
    i3Windows.emplace(*i3, DoorRecord::PathFor("i3", x->Name()), [&x11Windows](std::int64_t xWindow) {
      return x11Windows.ProcessId(WindowHandle(static_cast<std::int32_t>(xWindow)));
    });
  }
  WindowManager& windows = i3Windows ? static_cast<WindowManager&>(*i3Windows) : x11Windows;
  if (command.kind == CommandLine::Kind::Restore) return RunRestoreCommand(x->Name(), windows);

  // Claimed before anything else, so that a second start is recognised at once.
  X11SingleInstance instance(X11SingleInstance::LockFileForDisplay(x->Name()), x.get());
  const auto hotkeys = MakePerHotkey([&x](const HotkeyRow&) { return std::make_unique<X11Hotkey>(*x); });
  GlibWindowWatch x11Watch(*x);
  std::optional<sway::SwayWindowWatch> i3Watch;
  if (i3Windows) i3Watch.emplace(*i3Events, true);
  WindowWatch& windowWatch = i3Watch ? static_cast<WindowWatch&>(*i3Watch) : x11Watch;
  const XEventSource xEvents(*x);
  // A closed panel stays closed: it was closed on purpose, and showing it may
  // need the password. This start has no window of its own yet, so a window
  // of Blindfold's class and title on screen is the running one's (its panel,
  // or a message of its above it, which is on top).
  const auto bringRunningPanelForward = [&x11Windows] {
    x11Windows.EnumWindows([&x11Windows](WindowHandle window) {
      const bool ours = x11Windows.WindowText(window, 256) == texts::kProgramName &&
                        x11Windows.ClassName(window, 256) == texts::kProgramName;
      if (!ours || !x11Windows.IsWindowVisible(window)) return true;
      x11Windows.Activate(window);
      return false;
    });
  };
  return RunStart(x->Name(), instance,
                  {.windows = windows,
                   .windowWatch = windowWatch,
                   .hotkeys = PortsOf(hotkeys),
                   .bringRunningPanelForward = bringRunningPanelForward});
}

// In a sway session: its IPC for the windows and the keys, and GTK drawing
// on Wayland itself.
int RunOnSway(const CommandLine& command, char* program, const std::string& display, const std::string& socket) {
  const std::string lockFile = X11SingleInstance::LockFileForDisplay(display);
  if (command.kind == CommandLine::Kind::Send) {
    return SendCommand(display, X11SingleInstance::IsLocked(lockFile), command.command);
  }
  const auto ipc = sway::SwayIpc::Connect(socket);
  const auto events = ipc ? sway::SwayEvents::Connect(socket) : nullptr;
  if (!events) {
    std::cerr << texts::kProgramName << ": sway does not answer on " << socket << '\n';
    return 1;
  }
  gdk_set_allowed_backends("wayland");
  int gtkArgc = 1;
  char** gtkArgv = &program;
  Gtk::Main kit(gtkArgc, gtkArgv);
  sway::SwayWindowManager windows(*ipc, DoorRecord::PathFor("sway", display));
  if (command.kind == CommandLine::Kind::Restore) return RunRestoreCommand(display, windows);

  X11SingleInstance instance(lockFile);
  const auto hotkeys = MakePerHotkey([&ipc, &events](const HotkeyRow& row) {
    return std::make_unique<sway::SwayHotkey>(*ipc, *events, std::string(row.name));
  });
  sway::SwayWindowWatch windowWatch(*events);
  // sway ending ends the session: the hidden windows end with it.
  events->SetOnLost([] { Gtk::Main::quit(); });
  return RunStart(display, instance,
                  {.windows = windows,
                   .windowWatch = windowWatch,
                   .hotkeys = PortsOf(hotkeys),
                   .panelHandle = [&windows] { return windows.FirstWindowOf(static_cast<std::uint32_t>(getpid())); }});
}

// In a Plasma session on Wayland: KWin's script for the windows and the keys,
// and GTK drawing on Wayland itself.
int RunOnKWin(const CommandLine& command, char* program, const std::string& display) {
  const std::string lockFile = X11SingleInstance::LockFileForDisplay(display);
  if (command.kind == CommandLine::Kind::Send) {
    return SendCommand(display, X11SingleInstance::IsLocked(lockFile), command.command);
  }
  gdk_set_allowed_backends("wayland");
  int gtkArgc = 1;
  char** gtkArgv = &program;
  Gtk::Main kit(gtkArgc, gtkArgv);
  const std::string runtime = lockFile.empty() ? std::string() : lockFile.substr(0, lockFile.rfind('/'));
  // Claimed before the bus name, which a second start must not take.
  std::optional<X11SingleInstance> instance;
  if (command.kind != CommandLine::Kind::Restore) instance.emplace(lockFile);
  kwin::KWinBridge bridge(x11::SessionKeyOfDisplay(display));
  std::vector<kwin::ScriptShortcut> shortcuts;
  for (const HotkeyRow& row : kHotkeys) {
    shortcuts.push_back({std::string(row.name), std::string(row.desktopShortcut), std::string(row.desktopDescription)});
  }
  bridge.SetShortcuts(std::move(shortcuts));
  if (!instance || !instance->AnotherInstanceIsRunning()) {
    std::string problem;
    InstalledFiles files;
    // The rescue may run beside a Blindfold that stopped answering, whose
    // copy of the script talks to that Blindfold alone: it loads a copy of
    // its own, reads the same record, and takes its copy away at its end.
    const bool rescue = command.kind == CommandLine::Kind::Restore;
    if (runtime.empty() || !bridge.Start(files.ShippedFile("blindfold-kwin.js"), runtime, 10000, rescue, problem)) {
      std::cerr << texts::kProgramName << ": KWin cannot be reached: "
                << (runtime.empty() ? "the session has no runtime folder" : problem) << '\n';
      return 1;
    }
  }
  kwin::KWinWindowManager windows(bridge);
  if (command.kind == CommandLine::Kind::Restore) return RunRestoreCommand(display, windows);

  const auto hotkeys = MakePerHotkey([&bridge](const HotkeyRow& row) {
    return std::make_unique<kwin::KWinHotkey>(bridge, std::string(row.name), std::string(row.desktopShortcut));
  });
  kwin::KWinWindowWatch windowWatch(bridge);
  return RunStart(display, *instance,
                  {.windows = windows,
                   .windowWatch = windowWatch,
                   .hotkeys = PortsOf(hotkeys),
                   .panelHandle = [&windows] { return windows.FirstWindowOf(static_cast<std::uint32_t>(getpid())); }});
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
  // sway's IPC reaches further than X ever could inside its session, where X
  // programs are guests.
  const char* display = std::getenv("WAYLAND_DISPLAY");
  const char* swaySocket = std::getenv("SWAYSOCK");
  // A socket left behind by an earlier sway session (a login manager may keep
  // the variable) is passed over for the next door.
  if (display && *display && swaySocket && *swaySocket && sway::SwayIpc::Connect(swaySocket)) {
    return RunOnSway(command, program, display, swaySocket);
  }
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  if (display && *display && desktop && std::string_view(desktop).find("KDE") != std::string_view::npos) {
    return RunOnKWin(command, program, display);
  }
  return RunOnX11(command, program);
}
