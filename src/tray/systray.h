#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/notification_area.h"

namespace blindfold {

// What the window that carries the tray icon hands the tray.
class TrayEvents {
 public:
  virtual ~TrayEvents() = default;

  // For every message of the hooked window: -1 for a tray callback that matched
  // a gesture (the menu first, then the toggle), nothing for any other message,
  // which then goes to the procedure that was there before.
  virtual std::optional<std::int32_t> TrayWindowProc(std::uint32_t uMsg, std::intptr_t wParam,
                                                     std::intptr_t lParam) = 0;
  // The shell has restarted with an empty notification area: the icon goes back
  // when it was shown.
  virtual void TaskbarCreated() = 0;
};

// The tray icon and the hook that hands its mouse messages to the program.
// Installed and removed as a pair.
class modSystray final : public TrayEvents {
 public:
  struct Actions {
    std::function<std::int32_t()> lTrayMenu;          // read afresh for every message
    std::function<std::int32_t()> lTrayHideWindows;
    std::function<void()> SysTrayMouseEventHandler;  // the tray menu
    std::function<void()> KeyTest;                   // the windows toggle
  };

  modSystray(NotificationArea& area, WindowSubclass& subclass, Actions actions)
      : area_(area), subclass_(subclass), actions_(std::move(actions)) {}

  void AddTrayIcon(WindowHandle hWnd, std::int32_t uID, std::int32_t hIcon, const std::string& tip);
  void RemoveTrayIcon();
  // False when the icon is not shown, and nothing is said.
  bool ShowBalloon(const std::string& title, const std::string& text);
  void HookTrayWindow(WindowHandle hWnd);
  void UnhookTrayWindow();
  std::optional<std::int32_t> TrayWindowProc(std::uint32_t uMsg, std::intptr_t wParam,
                                             std::intptr_t lParam) override;
  void TaskbarCreated() override;

 private:
  NotificationArea& area_;
  WindowSubclass& subclass_;
  Actions actions_;
  TrayIcon icon_;
  bool bHooked_ = false;
  bool iconShown_ = false;
  WindowHandle hSubclassWnd_;
  std::intptr_t lpPrevWndProc_ = 0;
};

}  // namespace blindfold
