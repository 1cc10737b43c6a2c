#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/gnome/gnome_bridge.h"
#include "platform/hotkey.h"
#include "platform/linux/listed_windows.h"
#include "platform/linux/timer_window_watch.h"
#include "platform/window_manager.h"

// The GNOME door's adapters: the ports the logic knows, served by the bridge
// to Blindfold's GNOME Shell extension.
namespace blindfold::gnome {

// Other programs' windows as the extension lists them, asked again at each
// walk over them. A hidden window is minimised and out of the Shell's
// switcher, overview, dash and top bar, and given back what it had.
class GnomeWindowManager final : public linux_desktop::ListedWindowManager {
 public:
  explicit GnomeWindowManager(GnomeBridge& bridge) : bridge_(bridge) {}

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
  std::optional<std::string> Unreachable() override;
  std::vector<WindowHandle> LeftHiddenByThisProgram() override;
  // The Shell draws its top bar and background itself.
  DesktopParts HideableParts() override { return {.taskbar = false, .desktopIcons = false}; }

 protected:
  void VisitListed(const std::function<bool(const linux_desktop::ListedWindow&)>& visit) override;

 private:
  GnomeBridge& bridge_;
};

// A key the extension binds in the Shell.
class GnomeHotkey final : public HotkeyControl {
 public:
  GnomeHotkey(GnomeBridge& bridge, std::string name);
  ~GnomeHotkey() override = default;

  HotkeyArmResult Arm(const HotkeyCombination& combination) override;
  void Disarm() override;
  void SetPressedHandler(std::function<void()> onPressed) override { onPressed_ = std::move(onPressed); }

 private:
  GnomeBridge& bridge_;
  std::string name_;
  bool armed_ = false;
  std::function<void()> onPressed_;
};

// Looks at each window the Shell takes on, and at them all on a GLib timer.
class GnomeWindowWatch final : public linux_desktop::TimerWindowWatch {
 public:
  explicit GnomeWindowWatch(GnomeBridge& bridge) : bridge_(bridge) {}
  ~GnomeWindowWatch() override { Stop(); }

 private:
  void Follow() override {
    bridge_.SetOnAppeared([this](WindowHandle window) { LookAt(window); });
  }
  void Unfollow() override { bridge_.SetOnAppeared(nullptr); }

  GnomeBridge& bridge_;
};

}  // namespace blindfold::gnome
