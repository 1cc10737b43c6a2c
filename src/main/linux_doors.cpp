// The desktop doors of the Linux program, one row each: how each desktop's
// windows and keys are reached, and in what order its parts are made.
#include "linux_doors.h"

#include <gtkmm.h>

#include <cstdlib>
#include <iostream>
#include <optional>
#include <vector>

#include "core/texts.h"
#include "installed_files.h"
#include "platform/kwin/kwin_desktop.h"
#include "platform/linux/door_record.h"
#include "platform/linux/key_file_registry.h"
#include "platform/linux/session_lock.h"
#include "platform/linux/text_rules.h"
#include "platform/sway/sway_desktop.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_hotkey.h"
#include "platform/x11/x11_single_instance.h"
#include "platform/x11/x11_window_manager.h"
#include "platform/x11/x11_window_watch.h"
// Xlib's macros last: they would break the headers above.
#include <gdk/gdkx.h>

namespace blindfold {
namespace {

using linux_desktop::DoorRecord;
using linux_desktop::SessionLock;

// The value of environment variable `name`; empty when it is not set.
std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// On an X display: Xlib and EWMH for the windows, key grabs for the keys.
// i3 keeps its windows in a tree that EWMH tells only in part: its IPC, the
// protocol sway speaks, reaches them as it does under sway. The keys stay X
// grabs, which i3 leaves to its programs, and a window's process is the X
// server's to tell.
class X11Door final : public OpenDoor {
 public:
  // Always there: a session without an X server is told so.
  static bool Detect() { return true; }
  static std::unique_ptr<OpenDoor> Open() {
    auto x = x11::X11Connection::Open();
    if (!x) {
      std::cerr << texts::kNeedsX11Session << '\n';
      return nullptr;
    }
    return std::unique_ptr<OpenDoor>(new X11Door(std::move(x)));
  }

  const std::string& Session() const override { return session_; }
  bool Claimed() override { return x11::X11SingleInstance::IsClaimed(*x_); }

  WindowManager* Windows(bool) override {
    // GTK ends the program on an X error that none of its own traps expected.
    // Other programs' windows vanish under it all the time (a tray host killed
    // mid-draw leaves errors about its windows, and the hidden windows would
    // die hidden with Blindfold): an outer trap, never taken down, turns those
    // into errors ignored, while GTK's own traps inside it still see theirs.
    gdk_x11_display_error_trap_push(gdk_display_get_default());
    x11Windows_.emplace(*x_);
    x11Windows_->KeepMarkKeyIn(linux_desktop::SettingsPaths::ForSession(session_).markKeyFile);
    const std::string i3Socket = Environment("I3SOCK");
    if (!i3Socket.empty()) i3_ = sway::SwayIpc::Connect(i3Socket);
    if (i3_) i3Events_ = sway::SwayEvents::Connect(i3Socket);
    if (i3_ && i3Events_) {
      i3Windows_.emplace(*i3_, DoorRecord::PathFor("i3", session_), [this](std::int64_t xWindow) {
        return x11Windows_->ProcessId(WindowHandle(static_cast<std::int32_t>(xWindow)));
      });
      return &*i3Windows_;
    }
    return &*x11Windows_;
  }

  SingleInstance& Instance() override {
    return instance_.emplace(SessionLock::LockFileForSession(session_), *x_);
  }

  DesktopDoors Doors() override {
    hotkeys_ = MakePerHotkey([this](const HotkeyRow&) { return std::make_unique<x11::X11Hotkey>(*x_); });
    x11Watch_.emplace(*x_);
    if (i3Windows_) i3Watch_.emplace(*i3Events_, true);
    events_.emplace(*x_);
    WindowManager& windows = i3Windows_ ? static_cast<WindowManager&>(*i3Windows_) : *x11Windows_;
    WindowWatch& watch = i3Watch_ ? static_cast<WindowWatch&>(*i3Watch_) : *x11Watch_;
    return {.windows = windows,
            .windowWatch = watch,
            .hotkeys = PortsOf(hotkeys_),
            // GDK names the panel's X window itself.
            .panelHandle = {},
            .bringRunningPanelForward = [this] { BringRunningPanelForward(); }};
  }

 private:
  explicit X11Door(std::unique_ptr<x11::X11Connection> x) : x_(std::move(x)), session_(x_->Name()) {}

  // A closed panel stays closed: it was closed on purpose, and showing it may
  // need the password. This start has no window of its own yet, so a window
  // of Blindfold's class and title on screen is the running one's (its panel,
  // or a message of its above it, which is on top).
  void BringRunningPanelForward() {
    x11::X11WindowManager& windows = *x11Windows_;
    windows.EnumWindows([&windows](WindowHandle window) {
      const bool ours = windows.WindowText(window, 256) == texts::kProgramName &&
                        windows.ClassName(window, 256) == texts::kProgramName;
      if (!ours || !windows.IsWindowVisible(window)) return true;
      windows.Activate(window);
      return false;
    });
  }

  std::unique_ptr<x11::X11Connection> x_;
  std::string session_;
  std::optional<x11::X11WindowManager> x11Windows_;
  std::unique_ptr<sway::SwayIpc> i3_;
  std::unique_ptr<sway::SwayEvents> i3Events_;
  std::optional<sway::SwayWindowManager> i3Windows_;
  std::optional<x11::X11SingleInstance> instance_;
  PerHotkey<std::unique_ptr<x11::X11Hotkey>> hotkeys_;
  std::optional<x11::X11WindowWatch> x11Watch_;
  std::optional<sway::SwayWindowWatch> i3Watch_;
  std::optional<x11::XEventSource> events_;
};

// The adapters a Wayland door makes, kept for the run after the connection
// they go through, and handed to the run with the panel named by the door's
// window list: GDK cannot name it on Wayland, and a running panel is the
// compositor's to bring forward, not a second start's.
template <typename Windows, typename Hotkey, typename Watch>
struct ListedAdapters {
  std::optional<Windows> windows;
  PerHotkey<std::unique_ptr<Hotkey>> hotkeys;
  std::optional<Watch> watch;

  DesktopDoors Doors() {
    return {.windows = *windows,
            .windowWatch = *watch,
            .hotkeys = PortsOf(hotkeys),
            .panelHandle = [this] { return windows->ThisProgramsWindow(); },
            .bringRunningPanelForward = {}};
  }
};

// What the Wayland doors share: the session is the Wayland socket's, and its
// lock file alone tells a running Blindfold, as there is no X server to ask.
class WaylandDoor : public OpenDoor {
 public:
  const std::string& Session() const override { return session_; }
  bool Claimed() override { return SessionLock::IsLocked(lockFile_); }

 protected:
  const std::string session_ = Environment("WAYLAND_DISPLAY");
  const std::string lockFile_ = SessionLock::LockFileForSession(session_);
  std::optional<SessionLock> instance_;
};

// In a sway session: its IPC for the windows and the keys, and GTK drawing
// on Wayland itself. sway's IPC reaches further than X ever could inside its
// session, where X programs are guests.
class SwayDoor final : public WaylandDoor {
 public:
  // A socket left behind by an earlier sway session (a login manager may keep
  // the variable) is passed over for the next door.
  static bool Detect() {
    const std::string socket = Environment("SWAYSOCK");
    return !Environment("WAYLAND_DISPLAY").empty() && !socket.empty() && sway::SwayIpc::Connect(socket);
  }
  static std::unique_ptr<OpenDoor> Open() { return std::make_unique<SwayDoor>(); }

  bool Reach() override {
    ipc_ = sway::SwayIpc::Connect(socket_);
    if (ipc_) events_ = sway::SwayEvents::Connect(socket_);
    if (!events_) std::cerr << texts::kProgramName << ": sway does not answer on " << socket_ << '\n';
    return events_ != nullptr;
  }

  WindowManager* Windows(bool) override {
    return &adapters_.windows.emplace(*ipc_, DoorRecord::PathFor("sway", session_));
  }

  SingleInstance& Instance() override { return instance_.emplace(lockFile_); }

  DesktopDoors Doors() override {
    adapters_.hotkeys = MakePerHotkey([this](const HotkeyRow& row) {
      return std::make_unique<sway::SwayHotkey>(*ipc_, *events_, std::string(row.name));
    });
    adapters_.watch.emplace(*events_);
    // sway ending ends the session: the hidden windows end with it.
    events_->SetOnLost([] { Gtk::Main::quit(); });
    return adapters_.Doors();
  }

 private:
  const std::string socket_ = Environment("SWAYSOCK");
  std::unique_ptr<sway::SwayIpc> ipc_;
  std::unique_ptr<sway::SwayEvents> events_;
  ListedAdapters<sway::SwayWindowManager, sway::SwayHotkey, sway::SwayWindowWatch> adapters_;
};

// In a Plasma session on Wayland: KWin's script for the windows and the keys,
// and GTK drawing on Wayland itself.
class KWinDoor final : public WaylandDoor {
 public:
  static bool Detect() {
    return !Environment("WAYLAND_DISPLAY").empty() &&
           Environment("XDG_CURRENT_DESKTOP").find("KDE") != std::string::npos;
  }
  static std::unique_ptr<OpenDoor> Open() { return std::make_unique<KWinDoor>(); }

  // The session is claimed before the bus name, which a second start must
  // not take. The rescue may run beside a Blindfold that stopped answering,
  // whose copy of the script talks to that Blindfold alone: it loads a copy
  // of its own, reads the same record, and takes its copy away at its end.
  WindowManager* Windows(bool rescue) override {
    const std::string runtime = lockFile_.empty() ? std::string() : lockFile_.substr(0, lockFile_.rfind('/'));
    if (!rescue) instance_.emplace(lockFile_);
    bridge_.emplace(linux_desktop::SessionKeyOfDisplay(session_));
    std::vector<kwin::ScriptShortcut> shortcuts;
    for (const HotkeyRow& row : kHotkeys) {
      shortcuts.push_back({std::string(row.name), std::string(row.desktopShortcut), std::string(row.desktopDescription)});
    }
    bridge_->SetShortcuts(std::move(shortcuts));
    if (!instance_ || !instance_->AnotherInstanceIsRunning()) {
      std::string problem;
      InstalledFiles files;
      if (runtime.empty() || !bridge_->Start(files.ShippedFile("blindfold-kwin.js"), runtime, 10000, rescue, problem)) {
        std::cerr << texts::kProgramName << ": KWin cannot be reached: "
                  << (runtime.empty() ? "the session has no runtime folder" : problem) << '\n';
        return nullptr;
      }
    }
    return &adapters_.windows.emplace(*bridge_);
  }

  SingleInstance& Instance() override { return *instance_; }

  DesktopDoors Doors() override {
    adapters_.hotkeys = MakePerHotkey([this](const HotkeyRow& row) {
      return std::make_unique<kwin::KWinHotkey>(*bridge_, std::string(row.name), std::string(row.desktopShortcut));
    });
    adapters_.watch.emplace(*bridge_);
    return adapters_.Doors();
  }

 private:
  std::optional<kwin::KWinBridge> bridge_;
  ListedAdapters<kwin::KWinWindowManager, kwin::KWinHotkey, kwin::KWinWindowWatch> adapters_;
};

// The windows are hidden through the X server on an X display, so GTK draws
// through it too, even where a Wayland compositor offers X as a guest.
constexpr DoorRow kDoorRows[] = {
    {.name = "sway", .detect = SwayDoor::Detect, .gdkBackend = "wayland", .open = SwayDoor::Open},
    {.name = "kwin", .detect = KWinDoor::Detect, .gdkBackend = "wayland", .open = KWinDoor::Open},
    {.name = "x11", .detect = X11Door::Detect, .gdkBackend = "x11", .open = X11Door::Open},
};

}  // namespace

std::span<const DoorRow> DesktopDoorRows() { return kDoorRows; }

}  // namespace blindfold
