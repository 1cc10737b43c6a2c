#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/notification_area.h"

namespace blindfold {

// The tray icon, and the hook that hands what the user does to it to the
// program. Installed and removed as a pair.
class Tray final : public TrayEvents {
 public:
  struct Actions {
    std::function<std::int32_t()> menuGesture;          // stored codes, read afresh for every gesture
    std::function<std::int32_t()> toggleGesture;
    std::function<void()> openMenu;  // the tray menu
    std::function<void()> toggleWindows;                   // the windows toggle
  };

  Tray(NotificationArea& area, Actions actions) : area_(area), actions_(std::move(actions)) {}

  void AddTrayIcon(WindowHandle hWnd, std::int32_t uID, std::int32_t hIcon, const std::string& tip);
  void RemoveTrayIcon();
  bool IconShown() const { return iconShown_; }
  // False when the icon is not shown, and nothing is said.
  bool ShowBalloon(const std::string& title, const std::string& text);
  void HookTrayWindow(WindowHandle hWnd);
  void UnhookTrayWindow();
  // The menu's gesture first, then the toggle's; a gesture that is neither
  // does nothing. True when it matched one.
  bool Gesture(TrayGesture gesture);
  void Gestured(TrayGesture gesture) override { Gesture(gesture); }
  void TaskbarCreated() override;

 private:
  NotificationArea& area_;
  Actions actions_;
  TrayIcon icon_;
  bool bHooked_ = false;
  bool iconShown_ = false;
};

}  // namespace blindfold
