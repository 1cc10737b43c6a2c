// The desktop doors of the Linux program, one row each: how each desktop's
// windows and keys are reached, and in what order its parts are made.
#include "linux_doors.h"

#include <gtkmm.h>

#include <cstdlib>
#include <iostream>
#include <optional>

#include "core/texts.h"
#include "platform/gnome/gnome_door.h"
#include "platform/kwin/kwin_door.h"
#include "platform/linux/door_record.h"
#include "platform/linux/key_file_registry.h"
#include "platform/linux/session_lock.h"
#include "platform/sway/sway_desktop.h"
#include "platform/sway/sway_door.h"
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
using linux_desktop::Environment;
using linux_desktop::SessionLock;

// On an X display: Xlib and EWMH for the windows, key grabs for the keys.
// i3 keeps its windows in a tree that EWMH tells only in part: its IPC, the
// protocol sway speaks, reaches them as it does under sway. The keys stay X
// grabs, which i3 leaves to its programs, and a window's process is the X
// server's to tell.
class X11Door final : public OpenDoor {
 public:
  // Always there: a session without an X server is told so.
  static bool Detect() { return true; }
  static std::unique_ptr<OpenDoor> Open(const DoorNeeds&) {
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

// The windows are hidden through the X server on an X display, so GTK draws
// through it too, even where a Wayland compositor offers X as a guest.
constexpr DoorRow kDoorRows[] = {
    {.name = "sway", .detect = sway::DetectSway, .gdkBackend = "wayland", .open = sway::OpenSway},
    {.name = "kwin", .detect = kwin::DetectKWin, .gdkBackend = "wayland", .open = kwin::OpenKWin},
    {.name = "gnome", .detect = gnome::DetectGnome, .gdkBackend = "wayland", .open = gnome::OpenGnome},
    {.name = "x11", .detect = X11Door::Detect, .gdkBackend = "x11", .open = X11Door::Open},
};

}  // namespace

std::span<const DoorRow> DesktopDoorRows() { return kDoorRows; }

}  // namespace blindfold
