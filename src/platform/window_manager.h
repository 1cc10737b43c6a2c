#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/window_handle.h"

namespace blindfold {

inline constexpr std::int32_t kShowCmdHide = 0;  // SW_HIDE
inline constexpr std::int32_t kShowCmdShow = 5;  // SW_SHOW
inline constexpr std::int32_t kShowCmdShowNoActivate = 8;  // SW_SHOWNA

// What a top-level window is to the desktop: an ordinary window, the taskbar
// (the panel the user could ask to hide with the windows) or the desktop
// itself, with its icons.
enum class WindowRole { Normal, Taskbar, Desktop };

// What of the desktop besides windows this program may hide: the taskbar and
// the desktop with its icons, each where it is a window it may hide.
struct DesktopParts {
  bool taskbar = true;
  bool desktopIcons = true;
};

struct WindowState {
  // The parent, or for an owned pop-up its owner; 0 for neither.
  WindowHandle parent;
  bool visible = false;
  bool enabled = false;
  // Told for a window with neither parent nor owner that is visible and
  // enabled; any other window may be reported as Normal.
  WindowRole role = WindowRole::Normal;
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
  // The full path of the program the window's process runs, as the system
  // names its executable; empty when it has gone or cannot be told (a window
  // of another machine, or of a process this program may not look into).
  virtual std::string ProgramPath(WindowHandle window) = 0;
  // Whether the window's own program cloaked it: it is there for the API but
  // never drawn (a suspended app's frame, a ghost). A window the shell cloaks
  // because it sits on another virtual desktop does not count, and where the
  // platform cannot tell, no window is cloaked.
  virtual bool CloakedByItsApp(WindowHandle window) = 0;
  // Whether the window's program reads its messages: it answered within a
  // moment. Having answered, it has also carried out what it was told before.
  virtual bool Answering(WindowHandle window) = 0;
  // Whether the window is minimised (iconic); false when it has gone.
  virtual bool IsMinimised(WindowHandle window) = 0;
  // The window the user is working in; 0 when there is none.
  virtual WindowHandle ForegroundWindow() = 0;
  // Brings the window to the front and gives it the keyboard. False when it
  // has gone or the platform refused.
  virtual bool Activate(WindowHandle window) = 0;
  // Whether the window is on the virtual desktop the user looks at, or on
  // every one: activating a window elsewhere may bring it over (some window
  // managers do) or take the user to its desktop. Where the platform keeps no
  // desktops, or cannot tell, every window is.
  virtual bool OnCurrentDesktop(WindowHandle) { return true; }
  // Tells the window to hide (kShowCmdHide), show (kShowCmdShow) or show
  // without taking the activation (kShowCmdShowNoActivate) and returns
  // without waiting for its program, which does it as soon as it next reads its
  // messages; a window of the calling thread does it at once. Its positions, its
  // minimised or maximised state and where it restores to all stay as they are.
  // False when the window has gone or may not be changed by this program (one
  // running with higher rights).
  virtual bool ShowWindowAsync(WindowHandle window, std::int32_t showCmd) = 0;
  // Tells each of `windows`, in the order given, what ShowWindowAsync tells
  // one, and answers for each what it would. A hide or a show is a pass over
  // many windows: a desktop that takes many commands in one message, or reads
  // its windows once for all of them, does so here.
  virtual std::vector<bool> ShowWindowsAsync(const std::vector<WindowHandle>& windows, std::int32_t showCmd) {
    std::vector<bool> told;
    told.reserve(windows.size());
    for (const WindowHandle window : windows) told.push_back(ShowWindowAsync(window, showCmd));
    return told;
  }
  // Whether the window bears the sign of a hide by this program, in this run
  // or in one that died, so that a record read back never shows or hides a
  // stranger's window. Where the platform leaves no sign on the window, the
  // record's own checks must do.
  virtual bool HiddenByThisProgram(WindowHandle) { return true; }
  // Why the windows could not be reached when last asked after (the window
  // manager gone, or its answer unreadable), or nothing: then a hide or show
  // did nothing, and must not pass for done. Where the windows are always
  // within reach, nothing.
  virtual std::optional<std::string> Unreachable() { return std::nullopt; }
  // What the desktop lets this program hide besides windows. A compositor that
  // draws its bars and background itself, or that keeps them on screen,
  // offers neither.
  virtual DesktopParts HideableParts() { return {}; }
  // The windows that a run of this program which died left hidden, as the
  // windows themselves tell where the platform keeps on each a sign that only
  // this program can make: for a start that finds no record of them.
  virtual std::vector<WindowHandle> LeftHiddenByThisProgram() { return {}; }
};

}  // namespace blindfold
