#include "tray/systray.h"

#include "settings/tray_gestures.h"

namespace blindfold {

void Tray::AddTrayIcon(WindowHandle hWnd, std::int32_t uID, std::int32_t hIcon, const std::string& tip) {
  icon_ = TrayIcon{hWnd, uID, hIcon, tip};
  area_.AddIcon(icon_);
  iconShown_ = true;
}

void Tray::RemoveTrayIcon() {
  area_.DeleteIcon(icon_);
  iconShown_ = false;
}

bool Tray::ShowBalloon(const std::string& title, const std::string& text) {
  return iconShown_ && area_.ShowBalloon(icon_, title, text);
}

void Tray::HookTrayWindow(WindowHandle hWnd) {
  if (bHooked_) return;
  area_.StartReporting(hWnd, *this);
  bHooked_ = true;
}

void Tray::UnhookTrayWindow() {
  if (!bHooked_) return;
  area_.StopReporting();
  bHooked_ = false;
}

// A code of 0, or any code that names no gesture, switches its action off.
bool Tray::Gesture(TrayGesture gesture) {
  if (GestureOfStoredCode(actions_.menuGesture()) == gesture) {
    actions_.openMenu();
    return true;
  }
  if (GestureOfStoredCode(actions_.toggleGesture()) == gesture) {
    actions_.toggleWindows();
    return true;
  }
  return false;
}

void Tray::TaskbarCreated() {
  if (iconShown_) area_.AddIcon(icon_);
}

}  // namespace blindfold
