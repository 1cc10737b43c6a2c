#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/window_handle.h"

namespace blindfold {

// The program's icon in the notification area: the window that owns it, the
// icon's number there, its picture and its tip. A window of 0 names no icon.
struct TrayIcon {
  WindowHandle window;
  std::int32_t id = 0;
  std::int32_t icon = 0;
  std::string tip;
};

// What the user did to the tray icon with a mouse button. A press and its
// release come as two gestures; a second press within the double-click time
// comes as the double click instead of a press.
enum class TrayGesture {
  LeftDown,
  LeftUp,
  LeftDoubleClick,
  RightDown,
  RightUp,
  RightDoubleClick,
  MiddleDown,
  MiddleUp,
  MiddleDoubleClick,
};

// What the tray icon reports.
class TrayEvents {
 public:
  virtual ~TrayEvents() = default;

  virtual void Gestured(TrayGesture gesture) = 0;
  // The tray has come back empty (the shell restarted): an icon that was shown
  // must be added again.
  virtual void TaskbarCreated() = 0;
};

class NotificationArea {
 public:
  virtual ~NotificationArea() = default;

  virtual bool AddIcon(const TrayIcon& icon) = 0;
  virtual bool DeleteIcon(const TrayIcon& icon) = 0;
  // A short message in a balloon from the icon, which must be shown.
  virtual bool ShowBalloon(const TrayIcon& icon, const std::string& title, const std::string& text) = 0;
  // Reports what happens to the icons `window` owns to `events` until
  // StopReporting; one window at a time.
  virtual void StartReporting(WindowHandle window, TrayEvents& events) = 0;
  virtual void StopReporting() = 0;
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
