#include "tray/systray.h"

#include "tray/tray_gestures.h"

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
  area_.StartReporting(hWnd, *this);
  bHooked_ = true;
}

void modSystray::UnhookTrayWindow() {
  if (!bHooked_) return;
  area_.StopReporting();
  bHooked_ = false;
}

// A code of 0, or any code that names no gesture, switches its action off.
bool modSystray::Gesture(TrayGesture gesture) {
  if (GestureOfStoredCode(actions_.lTrayMenu()) == gesture) {
    actions_.SysTrayMouseEventHandler();
    return true;
  }
  if (GestureOfStoredCode(actions_.lTrayHideWindows()) == gesture) {
    actions_.KeyTest();
    return true;
  }
  return false;
}

void modSystray::TaskbarCreated() {
  if (iconShown_) area_.AddIcon(icon_);
}

}  // namespace blindfold
