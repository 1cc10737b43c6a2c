// Blindfold's entry point on Linux: wires the X11 platform and the GTK panel to
// the logic and runs the GLib main loop.
#include <glib-unix.h>
#include <gtkmm.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "app/command_line.h"
#include "app/form1.h"
#include "app/restore.h"
#include "app/run.h"
#include "app/startup.h"
#include "core/log_sinks.h"
#include "core/texts.h"
#include "core/version.h"
#include "platform/gtk/gio_commands.h"
#include "platform/gtk/gtk_background.h"
#include "platform/gtk/gtk_dialogs.h"
#include "platform/gtk/gtk_panel.h"
#include "platform/gtk/gtk_tray.h"
#include "platform/x11/key_file_registry.h"
#include "platform/x11/pulse_mixer.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_hotkey.h"
#include "platform/x11/x11_services.h"
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
      Gtk::Main::quit();
    });
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
      g_unix_signal_add(
          signal,
          [](gpointer data) -> gboolean {
            auto* self = static_cast<GtkFrontEnd*>(data);
            ShowWindowsBeforeDying();
            self->sessionEnded_ = true;
            self->panel_.SessionEnding();
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
int RunRestoreCommand(X11Connection& x) {
  KeyFileRegistry registry(SettingsPaths::ForSession(x.Name()), [](const std::string& message) {
    std::cerr << message << '\n';
  });
  X11WindowManager windows(x);
  Gtk::Window owner;
  GtkLoginDialog loginDialog(owner);
  NettleCrypto crypto;
  GlibBackground background;
  if (blindfold::RunRestoreCommand(registry, windows, loginDialog, crypto, background)) return kExitDone;
  std::cerr << texts::kCommandRefused << '\n';
  return kExitFailed;
}

// A command for the Blindfold running on `x`'s display.
int SendCommand(X11Connection& x, Command command) {
  if (!X11SingleInstance::IsClaimed(x)) {
    const CommandEnd end = EndOfCommand(Delivery::NothingRuns);
    std::cerr << end.message << '\n';
    return end.exitCode;
  }
  std::string problem;
  const CommandEnd end = EndOfCommand(SendToRunningInstance(ApplicationIdForDisplay(x.Name()), command, problem));
  if (!end.message.empty()) std::cerr << (problem.empty() ? end.message : problem) << '\n';
  return end.exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  // BLINDFOLD_LOG=info (or error, warning, debug) writes what the program
  // decided and why to standard error, or to the file BLINDFOLD_LOG_FILE names.
  log::StartWithSetting(std::getenv("BLINDFOLD_LOG"), [] {
    const char* path = std::getenv("BLINDFOLD_LOG_FILE");
    return path ? std::fopen(path, "a") : nullptr;
  });
  const CommandLine command = ReadCommandLine(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
  switch (command.kind) {
    case CommandLine::Kind::Help:
      std::cout << texts::Usage("blindfold");
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
  // The windows are hidden through the X server, so GTK must draw through it
  // too, even where a Wayland compositor offers X as a guest.
  gdk_set_allowed_backends("x11");
  auto x = X11Connection::Open();
  if (!x) {
    std::cerr << texts::kNeedsX11Session << '\n';
    return 1;
  }
  if (command.kind == CommandLine::Kind::Send) {
    Gio::init();
    return SendCommand(*x, command.command);
  }
  // GTK's own options are not taken: every argument was read above.
  int gtkArgc = std::min(argc, 1);
  Gtk::Main kit(gtkArgc, argv);
  // GTK ends the program on an X error that none of its own traps expected.
  // Other programs' windows vanish under it all the time (a tray host killed
  // mid-draw leaves errors about its windows, and the hidden windows would die
  // hidden with Blindfold): an outer trap, never taken down, turns those into
  // errors ignored, while GTK's own traps inside it still see theirs.
  gdk_x11_display_error_trap_push(gdk_display_get_default());

  if (command.kind == CommandLine::Kind::Restore) return RunRestoreCommand(*x);

  // Claimed before anything else, so that a second start is recognised at once.
  X11SingleInstance instance(X11SingleInstance::LockFileForDisplay(x->Name()), x.get());
  // On the bus as soon as the display is ours, so that a command sent from
  // now on waits for the logic rather than finding no one.
  std::optional<GioCommandInbox> commands;
  if (!instance.AnotherInstanceIsRunning()) commands.emplace(ApplicationIdForDisplay(x->Name()));
  GtkMessageBoxes messageBoxes;
  // What the store cannot read or keep is told at start, or, once running,
  // when the program is next idle: a write that fails in the middle of a hide
  // must not put a dialog, and its loop, between the key and the windows.
  KeyFileRegistry registry(SettingsPaths::ForSession(x->Name()), [&messageBoxes](const std::string& message) {
    const auto tell = [&messageBoxes, message] {
      messageBoxes.Show(message, std::string(texts::kProgramName), MessageBoxStyle::WarningOk);
    };
    if (gtk_main_level() == 0) return tell();
    Glib::signal_idle().connect_once(tell);
  });
  SettingsStore store(registry);
  const StartupRoad road = Startup(instance, store, messageBoxes);
  if (road == StartupRoad::SecondInstance) return 0;

  InstalledFiles files;
  GtkPanel panel(Form1::kPanelWidthTwips, Form1::kPanelHeightTwips);
  panel.SetProgramIcon(files.ShippedFile(kDefaultTrayIconFile), files.ShippedFile("blindfold.svg"));
  Gtk::Window::set_default_icon(panel.Icon() ? panel.Icon() : Glib::RefPtr<Gdk::Pixbuf>());
  messageBoxes.owner = &panel.Window();
  X11Hotkey windowsHotkey(*x);
  X11Hotkey panicHotkey(*x);
  X11Hotkey panelHotkey(*x);
  X11WindowManager windows(*x);
  GtkLoginDialog loginDialog(panel.Window());
  NettleCrypto crypto;
  PulseMixer mixer;
  GtkNotificationArea notificationArea(panel);
  GtkPopupMenu popupMenu;
  GtkFileDialog fileDialog(panel.Window());
  GioShell shell;
  ClockRandom random;
  GtkTipsDialog tipsDialog(panel.Window());
  GlibWindowWatch windowWatch(*x);
  GlibBackground background;
  const XEventSource hotkeys(*x);
  XdgAutostart autostart(SettingsPaths::ForSession(x->Name()), files.ProgramFolder() + "/" + files.ExecutableBaseName());
  GtkFrontEnd frontEnd(panel);
  return RunFirstInstance(Platform{windows, registry, panel, files, panelHotkey, windowsHotkey, panicHotkey,
                                   messageBoxes, loginDialog, crypto, mixer, notificationArea, popupMenu, fileDialog,
                                   shell, random, tipsDialog, windowWatch, background, autostart, *commands},
                          frontEnd, road);
}
