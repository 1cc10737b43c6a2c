#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/notification_area.h"
#include "platform/win32/owner_window.h"

namespace blindfold::win32 {

std::wstring TipField(const std::string& tip);

// The callback message of the tray icon; the mouse message arrives in lParam.
inline constexpr UINT kTrayCallbackMessage = WM_USER;

// The gesture a mouse message of the tray callback reports, or nothing.
std::optional<TrayGesture> GestureOfMouseMessage(LPARAM message);

// The icons in the shell's notification area. While reporting, the window
// that owns them has its procedure replaced by a hook that takes the icon's
// callback message and the shell's "TaskbarCreated" news, and hands every
// other message to the procedure that was there.
class Win32NotificationArea final : public NotificationArea {
 public:
  Win32NotificationArea();
  ~Win32NotificationArea() override;
  Win32NotificationArea(const Win32NotificationArea&) = delete;
  Win32NotificationArea& operator=(const Win32NotificationArea&) = delete;

  bool AddIcon(const TrayIcon& icon) override;
  bool DeleteIcon(const TrayIcon& icon) override;
  bool ShowBalloon(const TrayIcon& icon, const std::string& title, const std::string& text) override;
  void StartReporting(WindowHandle window, TrayEvents& events) override;
  void StopReporting() override;

 private:
  static LRESULT CALLBACK HookProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // True when the message was the tray's.
  bool Take(UINT message, LPARAM lParam);

  UINT taskbarCreated_ = 0;
  HWND hooked_ = nullptr;
  WNDPROC previous_ = nullptr;
  TrayEvents* events_ = nullptr;
};

class Win32PopupMenu final : public PopupMenu {
 public:
  explicit Win32PopupMenu(HWND owner) : owner_(owner) {}
  void SetForegroundWindow(WindowHandle window) override;
  std::optional<TrayMenuItem> Pop(const std::vector<MenuEntry>& entries) override;

 private:
  HWND owner_;
};

class Win32FileDialog final : public FileDialog {
 public:
  explicit Win32FileDialog(OwnerWindow owner) : owner_(std::move(owner)) {}
  std::string OpenFile(const std::string& filter, const std::string& defaultExtension,
                       const std::string& title) override;

 private:
  OwnerWindow owner_;
};

}  // namespace blindfold::win32
