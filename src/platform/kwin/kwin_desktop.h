#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/hotkey.h"
#include "platform/kwin/kwin_bridge.h"
#include "platform/linux/listed_windows.h"
#include "platform/linux/timer_window_watch.h"
#include "platform/window_manager.h"

// The KWin door's adapters: the ports the logic knows, served by the bridge
// to Blindfold's KWin script.
namespace blindfold::kwin {

// Other programs' windows as KWin's script reports them. A hidden window is
// minimised and kept out of the taskbar, the pager and the switcher, and
// given back what it had. Docks stand for the taskbar, the desktop window for
// the desktop.
class KWinWindowManager final : public linux_desktop::ListedWindowManager {
 public:
  explicit KWinWindowManager(KWinBridge& bridge) : bridge_(bridge) {}

  void EnumWindows(const std::function<bool(WindowHandle)>& visit) override;
  WindowState State(WindowHandle window) override;
  bool IsWindowVisible(WindowHandle window) override;
  bool Answering(WindowHandle window) override { return bridge_.Find(window) != nullptr; }
  bool IsMinimised(WindowHandle window) override;
  WindowHandle ForegroundWindow() override;
  bool Activate(WindowHandle window) override;
  bool ShowWindowAsync(WindowHandle window, std::int32_t showCmd) override;
  std::vector<bool> ShowWindowsAsync(const std::vector<WindowHandle>& windows, std::int32_t showCmd) override;
  bool HiddenByThisProgram(WindowHandle window) override;
  // KWin minimises neither a panel nor the desktop.
  DesktopParts HideableParts() override { return {.taskbar = false, .desktopIcons = false}; }

 protected:
  void VisitListed(const std::function<bool(const linux_desktop::ListedWindow&)>& visit) override;

 private:
  KWinBridge& bridge_;
};

// A global shortcut of the script's, its keys set in KDE's settings.
class KWinHotkey final : public HotkeyControl {
 public:
  KWinHotkey(KWinBridge& bridge, std::string scriptName, std::string shortcutName);
  ~KWinHotkey() override = default;

  HotkeyArmResult Arm(const HotkeyCombination& combination) override;
  void Disarm() override;
  void SetPressedHandler(std::function<void()> onPressed) override { onPressed_ = std::move(onPressed); }

 private:
  KWinBridge& bridge_;
  std::string shortcutName_;
  bool armed_ = false;
  std::function<void()> onPressed_;
};

// Looks at each window the script reports for the first time, and at them all
// on a GLib timer.
class KWinWindowWatch final : public linux_desktop::TimerWindowWatch {
 public:
  explicit KWinWindowWatch(KWinBridge& bridge) : bridge_(bridge) {}
  ~KWinWindowWatch() override { Stop(); }

 private:
  void Follow() override;
  void Unfollow() override;

  KWinBridge& bridge_;
};

}  // namespace blindfold::kwin
