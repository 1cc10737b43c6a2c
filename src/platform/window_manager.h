#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace blindfold {

// A top-level window of any program, named by its 32-bit handle. Handles of
// windows are guaranteed to fit in 32 bits on every Windows build, which is why
// the logic, the hidden-window record and the stored settings can all use them
// as plain signed numbers.
using WindowHandle = std::int32_t;

struct PlacementPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct PlacementRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

// The platform's window placement record, field for field.
struct WindowPlacement {
  static constexpr std::int32_t kLength = 44;
  std::int32_t length = kLength;
  std::int32_t flags = 0;
  std::int32_t showCmd = 0;
  PlacementPoint minPosition;
  PlacementPoint maxPosition;
  PlacementRect normalPosition;
};

inline constexpr std::int32_t kShowCmdHide = 0;  // SW_HIDE
inline constexpr std::int32_t kShowCmdShow = 5;  // SW_SHOW

// Other programs' top-level windows, as the window manager sees them. Texts are
// UTF-8. Every call is safe on a handle whose window has gone: it then reports
// false, 0 or an empty text.
class WindowManager {
 public:
  virtual ~WindowManager() = default;

  // Calls `visit` once per top-level window, top of the stack first, until it
  // returns false.
  virtual void EnumWindows(const std::function<bool(WindowHandle)>& visit) = 0;
  // The parent, or for an owned pop-up its owner; 0 for neither.
  virtual WindowHandle GetParent(WindowHandle window) = 0;
  virtual bool IsWindowVisible(WindowHandle window) = 0;
  virtual bool IsWindowEnabled(WindowHandle window) = 0;
  // Length of the window text in the platform's characters.
  virtual int WindowTextLength(WindowHandle window) = 0;
  // The window text read into a buffer of `bufferChars` characters (the last
  // one holds the terminator), cut at the first NUL.
  virtual std::string WindowText(WindowHandle window, int bufferChars) = 0;
  // The class name read the same way.
  virtual std::string ClassName(WindowHandle window, int bufferChars) = 0;
  virtual bool GetWindowPlacement(WindowHandle window, WindowPlacement& placement) = 0;
  // Applies `placement`; showCmd kShowCmdHide hides the window and kShowCmdShow
  // shows it, positions unchanged.
  virtual bool SetWindowPlacement(WindowHandle window, const WindowPlacement& placement) = 0;

  // The process a window belongs to; 0 when it has gone.
  virtual std::uint32_t ProcessId(WindowHandle window) = 0;
  // Whether the window's thread has stopped answering, so that anything that
  // waits for it would freeze the caller.
  virtual bool IsHung(WindowHandle window) = 0;
  // Hides or shows the window without waiting for its thread; its positions stay.
  virtual void ShowWindowAsync(WindowHandle window, std::int32_t showCmd) = 0;
};

}  // namespace blindfold
