#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_handle.h"

namespace blindfold {

// The callback message of the tray icon; the mouse message arrives in lParam.
inline constexpr std::uint32_t kTrayCallbackMessage = 1024;

// The program's icon in the notification area: the window its mouse messages
// go to (as kTrayCallbackMessage), the icon's number there, its picture and its
// tip. A window of 0 names no icon.
struct TrayIcon {
  WindowHandle window;
  std::int32_t id = 0;
  std::int32_t icon = 0;
  std::string tip;
};

class NotificationArea {
 public:
  virtual ~NotificationArea() = default;

  virtual bool AddIcon(const TrayIcon& icon) = 0;
  virtual bool DeleteIcon(const TrayIcon& icon) = 0;
  // A short message in a balloon from the icon, which must be shown.
  virtual bool ShowBalloon(const TrayIcon& icon, const std::string& title, const std::string& text) = 0;
};

// Puts the tray hook's window procedure in front of a window's own, and back.
class WindowSubclass {
 public:
  virtual ~WindowSubclass() = default;

  // Returns the procedure that was in place (opaque to the logic).
  virtual std::intptr_t Install(WindowHandle window) = 0;
  virtual void Restore(WindowHandle window, std::intptr_t previous) = 0;
};

// The tray menu's entries.
enum class TrayMenuItem { Separator, Lock, ShowUi, Shutdown };

struct MenuEntry {
  TrayMenuItem item = TrayMenuItem::Separator;
  std::string caption;
  bool enabled = true;
};

// The tray menu, popped up at the mouse; items can be chosen with either button.
class PopupMenu {
 public:
  virtual ~PopupMenu() = default;

  virtual void SetForegroundWindow(WindowHandle window) = 0;
  // The chosen entry, or nothing when the menu was dismissed.
  virtual std::optional<TrayMenuItem> Pop(const std::vector<MenuEntry>& entries) = 0;
};

// The file-open dialog.
class FileDialog {
 public:
  virtual ~FileDialog() = default;

  // The chosen file, or an empty text when the user cancelled.
  virtual std::string OpenFile(const std::string& filter, const std::string& defaultExtension,
                               const std::string& title) = 0;
};

}  // namespace blindfold
