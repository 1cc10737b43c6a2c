#include "tray/systray.h"

namespace blindfold {

void modSystray::AddTrayIcon(WindowHandle hWnd, std::int32_t uID, std::int32_t hIcon, const std::string& tip) {
  icon_ = TrayIcon{hWnd, uID, hIcon, tip};
  area_.AddIcon(icon_);
  iconShown_ = true;
}

void modSystray::RemoveTrayIcon() {
  area_.DeleteIcon(icon_);
  iconShown_ = false;
}

bool modSystray::ShowBalloon(const std::string& title, const std::string& text) {
  return iconShown_ && area_.ShowBalloon(icon_, title, text);
}

void modSystray::HookTrayWindow(WindowHandle hWnd) {
  if (bHooked_) return;
  hSubclassWnd_ = hWnd;
  lpPrevWndProc_ = subclass_.Install(hWnd);
  bHooked_ = true;
}

void modSystray::UnhookTrayWindow() {
  if (!bHooked_) return;
  subclass_.Restore(hSubclassWnd_, lpPrevWndProc_);
  bHooked_ = false;
}

// A code of 0 switches its action off. It must never match: the panel is a
// dialog, and dialogs also receive message 1024 (DM_GETDEFID) with lParam 0.
std::optional<std::int32_t> modSystray::TrayWindowProc(std::uint32_t uMsg, std::intptr_t, std::intptr_t lParam) {
  const auto matches = [&](std::int32_t code) { return uMsg == kTrayCallbackMessage && code != 0 && lParam == code; };
  if (matches(actions_.lTrayMenu())) {
    actions_.SysTrayMouseEventHandler();
    return -1;
  }
  if (matches(actions_.lTrayHideWindows())) {
    actions_.KeyTest();
    return -1;
  }
  return std::nullopt;
}

void modSystray::TaskbarCreated() {
  if (iconShown_) area_.AddIcon(icon_);
}

}  // namespace blindfold
