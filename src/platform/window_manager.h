#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/window_handle.h"

namespace blindfold {

inline constexpr std::int32_t kShowCmdHide = 0;  // SW_HIDE
inline constexpr std::int32_t kShowCmdShow = 5;  // SW_SHOW

struct WindowState {
  // The parent, or for an owned pop-up its owner; 0 for neither.
  WindowHandle parent;
  bool visible = false;
  bool enabled = false;
};

// Other programs' top-level windows, as the window manager sees them. Texts are
// UTF-8. Every call is safe on a handle whose window has gone: it then reports
// false, 0 or an empty text.
class WindowManager {
 public:
  virtual ~WindowManager() = default;

  // Calls `visit` once per top-level window, top of the stack first, until it
  // returns false.
  virtual void EnumWindows(const std::function<bool(WindowHandle)>& visit) = 0;
  // What decides whether a window is listed, read in one go: each separate
  // question about another program's window costs a round trip.
  virtual WindowState State(WindowHandle window) = 0;
  virtual bool IsWindowVisible(WindowHandle window) = 0;
  // Length of the window text in the platform's characters.
  virtual int WindowTextLength(WindowHandle window) = 0;
  // The window text read into a buffer of `bufferChars` characters (the last
  // one holds the terminator), cut at the first NUL.
  virtual std::string WindowText(WindowHandle window, int bufferChars) = 0;
  // The class name read the same way.
  virtual std::string ClassName(WindowHandle window, int bufferChars) = 0;
  // The process a window belongs to; 0 when it has gone.
  virtual std::uint32_t ProcessId(WindowHandle window) = 0;
  // Tells the window to hide (kShowCmdHide) or show (kShowCmdShow) and returns
  // without waiting for its program, which does it as soon as it next reads its
  // messages; a window of the calling thread does it at once. Its positions, its
  // minimised or maximised state and where it restores to all stay as they are.
  // False when the window has gone.
  virtual bool ShowWindowAsync(WindowHandle window, std::int32_t showCmd) = 0;
};

}  // namespace blindfold
