#pragma once

// What every desktop door of the Linux program is: how it reaches other
// programs' windows and the keys on its desktop. The doors themselves are
// one row each in the table of main/linux_doors.cpp; what the Wayland doors
// share is here too.
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "panel/hotkeys.h"
#include "platform/hotkey.h"
#include "platform/linux/session_lock.h"
#include "platform/program_files.h"
#include "platform/single_instance.h"
#include "platform/window_manager.h"
#include "platform/window_watch.h"

namespace blindfold {

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

// A desktop door opened for one run. It owns what it makes (connections,
// adapters) for as long as the run lasts. The run asks for each part when
// the start has come that far, and each door makes it in its own order: a
// door claims the session as early as its desktop needs.
class OpenDoor {
 public:
  virtual ~OpenDoor() = default;

  // The session: an X display's or a Wayland socket's name, which names the
  // settings, the lock, the door's record and the name on the bus.
  virtual const std::string& Session() const = 0;
  // Whether a Blindfold runs in the session, without claiming it: whether a
  // command has anyone to go to.
  virtual bool Claimed() = 0;
  // Before GTK starts, for a start or the rescue: whether the desktop answers
  // (what is wrong is said on standard error).
  virtual bool Reach() { return true; }
  // Once GTK has started: the windows, for the rescue (`rescue`) or a start;
  // nothing when the desktop cannot be reached (said on standard error).
  virtual WindowManager* Windows(bool rescue) = 0;
  // When Windows() gave nothing: why, in words for a user who started
  // Blindfold from the menu and sees no standard error; empty when that
  // error says enough.
  virtual std::string WhyNoWindows() const { return {}; }
  // For a start, once the windows are there: this run's claim on the session,
  // made before anything else of the start.
  virtual SingleInstance& Instance() = 0;
  // The rest of what differs, made once the session is claimed.
  virtual DesktopDoors Doors() = 0;
};

// What a door may need of the program that opens it.
struct DoorNeeds {
  // The files the program ships with (KWin's script).
  ProgramFiles& files;
  // Ends the run, as when the desktop's session has ended.
  std::function<void()> endRun;
};

// One desktop door. The first row whose `detect` holds is the session's.
struct DoorRow {
  std::string_view name;
  // Whether the session is this door's, as its environment says.
  bool (*detect)();
  // The backend GDK may draw with: the one the door's windows are reached
  // through.
  const char* gdkBackend;
  // Opens the door for this run; nothing when it cannot be (said on standard
  // error).
  std::unique_ptr<OpenDoor> (*open)(const DoorNeeds& needs);
};

namespace linux_desktop {

// The value of environment variable `name`; empty when it is not set.
inline std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

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
  bool Claimed() override { return linux_desktop::SessionLock::IsLocked(lockFile_); }

 protected:
  const std::string session_ = Environment("WAYLAND_DISPLAY");
  const std::string lockFile_ = linux_desktop::SessionLock::LockFileForSession(session_);
  std::optional<linux_desktop::SessionLock> instance_;
};

}  // namespace linux_desktop
}  // namespace blindfold
