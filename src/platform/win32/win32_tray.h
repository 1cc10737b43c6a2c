#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/notification_area.h"
#include "platform/win32/owner_window.h"

namespace blindfold::win32 {

std::wstring TipField(const std::string& tip);

class Win32NotificationArea final : public NotificationArea {
 public:
  bool AddIcon(const TrayIcon& icon) override;
  bool DeleteIcon(const TrayIcon& icon) override;
  bool ShowBalloon(const TrayIcon& icon, const std::string& title, const std::string& text) override;
};

// Replaces one window's procedure with a hook that offers every message to
// `handler` first; what it does not take goes to the procedure that was there.
class Win32WindowSubclass final : public WindowSubclass {
 public:
  using Handler = std::function<std::optional<std::int32_t>(UINT, WPARAM, LPARAM)>;
  explicit Win32WindowSubclass(Handler handler);
  ~Win32WindowSubclass() override;

  Win32WindowSubclass(const Win32WindowSubclass&) = delete;
  Win32WindowSubclass& operator=(const Win32WindowSubclass&) = delete;

  std::intptr_t Install(WindowHandle window) override;
  void Restore(WindowHandle window, std::intptr_t previous) override;

 private:
  Handler handler_;
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
