#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/notification_area.h"

namespace blindfold {

// The tip text in the icon record's 64-character field: the text, one NUL,
// then blanks; a text of 64 characters or more is cut to 64, without a NUL.
std::u16string TipField(const std::string& tipUtf8);

// The tray icon and the hook that hands its mouse messages to the program.
// Installed and removed as a pair.
class modSystray {
 public:
  struct Actions {
    std::function<std::int32_t()> lTrayMenu;          // read afresh for every message
    std::function<std::int32_t()> lTrayHideWindows;
    std::function<void()> SysTrayMouseEventHandler;  // the tray menu
    std::function<void()> KeyTest;                   // the windows toggle
  };

  modSystray(NotificationArea& area, WindowSubclass& subclass, Actions actions)
      : area_(area), subclass_(subclass), actions_(std::move(actions)) {}

  void AddTrayIcon(std::int32_t hWnd, std::int32_t uID, std::int32_t hIcon, const std::string& tip);
  void RemoveTrayIcon();
  void HookTrayWindow(std::int32_t hWnd);
  void UnhookTrayWindow();
  // For every message of the hooked window: -1 for a tray callback that matched
  // a gesture (the menu first, then the toggle), nothing for any other message,
  // which then goes to the procedure that was there before.
  std::optional<std::int32_t> TrayWindowProc(std::uint32_t uMsg, std::intptr_t wParam, std::intptr_t lParam);
  // The shell has restarted with an empty notification area: the icon goes back
  // when it was shown.
  void TaskbarCreated();

 private:
  NotificationArea& area_;
  WindowSubclass& subclass_;
  Actions actions_;
  TrayIconRecord record_;
  bool bHooked_ = false;
  bool iconShown_ = false;
  std::int32_t hSubclassWnd_ = 0;
  std::intptr_t lpPrevWndProc_ = 0;
};

}  // namespace blindfold
