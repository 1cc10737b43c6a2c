#pragma once

#include <glib.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/hotkey.h"
#include "platform/window_manager.h"
#include "platform/window_watch.h"
#include "platform/sway/sway_ipc.h"
#include "platform/linux/door_record.h"
#include "platform/linux/listed_windows.h"
#include "platform/linux/timer_window_watch.h"
#include "platform/sway/sway_rules.h"

namespace blindfold::sway {

// Other programs' windows as sway keeps them. A handle is the window's con id.
// A hidden window goes to sway's scratchpad; where it goes back to (workspace,
// tiled or floating, full screen, its place in its split) is kept in this
// program's own record, which outlives it, so that a later run tells its
// windows from those the user put in the scratchpad. A floating window keeps
// its place in the scratchpad by itself. What sway's tree says of a window
// (its marks above all) any program can set, and is never taken for ours.
//
// sway has no taskbar or desktop window: every window is a Normal one.
//
// i3 speaks the same protocol on an X display. There a handle is the window's
// X window, as for the rest of the X11 program, and `processOf` tells its
// program, which i3 does not.
class SwayWindowManager final : public linux_desktop::ListedWindowManager {
 public:
  using ProcessOf = std::function<std::uint32_t(std::int64_t xWindow)>;
  // `recordPath`: where the record of the windows hidden here lives (empty:
  // in memory only).
  SwayWindowManager(SwayIpc& ipc, const std::string& recordPath, ProcessOf processOf = {})
      : ipc_(ipc), processOf_(std::move(processOf)), record_(recordPath) {}
  SwayWindowManager(const SwayWindowManager&) = delete;
  SwayWindowManager& operator=(const SwayWindowManager&) = delete;
  ~SwayWindowManager() override;

  void EnumWindows(const std::function<bool(WindowHandle)>& visit) override;
  WindowState State(WindowHandle window) override;
  bool IsWindowVisible(WindowHandle window) override;
  // sway carries out a command before it answers, whatever the program does.
  bool Answering(WindowHandle window) override { return Find(window) != nullptr; }
  bool IsMinimised(WindowHandle) override { return false; }
  WindowHandle ForegroundWindow() override;
  bool Activate(WindowHandle window) override;
  bool ShowWindowAsync(WindowHandle window, std::int32_t showCmd) override;
  std::vector<bool> ShowWindowsAsync(const std::vector<WindowHandle>& windows, std::int32_t showCmd) override;
  bool HiddenByThisProgram(WindowHandle window) override;
  std::vector<WindowHandle> LeftHiddenByThisProgram() override;
  std::optional<std::string> Unreachable() override { return unreachable_; }
  // sway draws its bar and background itself; i3's tree holds no bar either.
  DesktopParts HideableParts() override { return {.taskbar = false, .desktopIcons = false}; }

 protected:
  void VisitListed(const std::function<bool(const linux_desktop::ListedWindow&)>& visit) override;
  // Under i3, the X window's, which i3 does not tell.
  std::uint32_t ListedProcess(const linux_desktop::ListedWindow& window) override;

 private:
  // The tree as read once per turn of the main loop: a pass over the list asks
  // many questions, and the answers hold until sway is next told something.
  const std::vector<SwayWindow>& Windows();
  const SwayWindow* Find(WindowHandle window);
  void Forget();
  void InTree(std::int64_t id, const std::function<void(SwayWindow&)>& change);
  std::optional<SwayWindow> Now(std::int64_t id);
  void Focused(std::int64_t id);
  std::vector<bool> HidePass(const std::vector<std::optional<SwayWindow>>& windows);
  std::vector<bool> ShowPass(const std::vector<std::optional<SwayWindow>>& windows, bool activate);
  WindowHandle HandleOf(const SwayWindow& window) const;
  std::optional<HiddenPlace> RecordedPlace(std::int64_t id) const;
  static std::vector<std::int64_t> SplitBeforeTheHides(const SwayWindow& window,
                                                       const std::vector<HiddenPlace>& recorded);
  void Reconcile(const std::vector<SwayWindow>& windows);

  SwayIpc& ipc_;
  ProcessOf processOf_;
  linux_desktop::DoorRecord record_;
  bool reconciled_ = false;
  std::optional<std::vector<SwayWindow>> windows_;
  std::optional<std::string> unreachable_;
  guint forget_ = 0;
};

// A system-wide key as a binding of sway's, made while the program runs: sway
// reports its use as a binding event, so the key never has to be grabbed.
class SwayHotkey final : public HotkeyControl {
 public:
  // `name` tells this key's binding from the others'.
  SwayHotkey(SwayIpc& ipc, SwayEvents& events, std::string name);
  SwayHotkey(const SwayHotkey&) = delete;
  SwayHotkey& operator=(const SwayHotkey&) = delete;
  ~SwayHotkey() override;

  HotkeyArmResult Arm(const HotkeyCombination& combination) override;
  void Disarm() override;
  void SetPressedHandler(std::function<void()> onPressed) override { onPressed_ = std::move(onPressed); }

 private:
  bool Bind(const std::string& binding);

  SwayIpc& ipc_;
  SwayEvents& events_;
  std::string command_;
  int listener_ = 0;
  std::optional<std::string> bound_;
  std::function<void()> onPressed_;
};

// Follows sway's window events (a new window, one focused, moved or made
// floating: each may be a window coming back) and looks at them all on a GLib
// timer besides.
class SwayWindowWatch final : public linux_desktop::TimerWindowWatch {
 public:
  // `xHandles`: windows are handled by their X window, as under i3.
  explicit SwayWindowWatch(SwayEvents& events, bool xHandles = false) : events_(events), xHandles_(xHandles) {}
  ~SwayWindowWatch() override { Stop(); }

 private:
  void Follow() override;
  void Unfollow() override;

  SwayEvents& events_;
  bool xHandles_;
  int listener_ = 0;
};

}  // namespace blindfold::sway
