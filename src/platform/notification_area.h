#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace blindfold {

// The callback message of the tray icon; the mouse message arrives in lParam.
inline constexpr std::uint32_t kTrayCallbackMessage = 1024;

// The icon record handed to the notification area, field for field.
struct TrayIconRecord {
  std::uint32_t cbSize = 0;
  std::int32_t hWnd = 0;
  std::int32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  std::int32_t hIcon = 0;
  std::u16string szTip;  // the 64-character tip field exactly as filled
};

class NotificationArea {
 public:
  virtual ~NotificationArea() = default;

  virtual bool AddIcon(const TrayIconRecord& record) = 0;
  virtual bool DeleteIcon(const TrayIconRecord& record) = 0;
};

// Puts the tray hook's window procedure in front of a window's own, and back.
class WindowSubclass {
 public:
  virtual ~WindowSubclass() = default;

  // Returns the procedure that was in place (opaque to the logic).
  virtual std::intptr_t Install(std::int32_t window) = 0;
  virtual void Restore(std::int32_t window, std::intptr_t previous) = 0;
};

struct MenuEntry {
  std::string caption;  // "-" for a separator
  bool enabled = true;
};

// The tray menu, popped up at the mouse; items can be chosen with either button.
class PopupMenu {
 public:
  virtual ~PopupMenu() = default;

  virtual void SetForegroundWindow(std::int32_t window) = 0;
  // The chosen entry's index, or nothing when the menu was dismissed.
  virtual std::optional<std::size_t> Pop(const std::vector<MenuEntry>& entries) = 0;
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
