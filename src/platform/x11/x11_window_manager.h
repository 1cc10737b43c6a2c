#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/window_manager.h"
#include "platform/x11/window_rules.h"
#include "platform/x11/x11_connection.h"

namespace blindfold::x11 {

// Other programs' windows as an EWMH window manager sees them. A handle is the
// X window id, which the X protocol keeps within 29 bits.
//
// The panels (every dock window) stand in the list as one taskbar: the first
// dock of a pass speaks for them all, the others report it as their owner, and
// hiding or showing it takes them all along. The desktop window is the desktop.
class X11WindowManager final : public WindowManager {
 public:
  explicit X11WindowManager(X11Connection& connection) : x_(connection) {}

  void EnumWindows(const std::function<bool(WindowHandle)>& visit) override;
  WindowState State(WindowHandle window) override;
  bool IsWindowVisible(WindowHandle window) override;
  int WindowTextLength(WindowHandle window) override;
  std::string WindowText(WindowHandle window, int bufferChars) override;
  std::string ClassName(WindowHandle window, int bufferChars) override;
  std::uint32_t ProcessId(WindowHandle window) override;
  bool CloakedByItsApp(WindowHandle) override { return false; }
  bool Answering(WindowHandle window) override;
  WindowHandle ForegroundWindow() override;
  bool IsMinimised(WindowHandle window) override;
  bool Activate(WindowHandle window) override;
  bool ShowWindowAsync(WindowHandle window, std::int32_t showCmd) override;
  bool HiddenByThisProgram(WindowHandle window) override;

 private:
  std::vector<::Window> StackTopFirst();
  WindowType Type(::Window window);
  std::string Title(::Window window);
  std::optional<std::string> TextProperty(::Window window, const char* name);
  bool IsVisible(::Window window, const XWindowAttributes& attributes);
  std::optional<SavedPlacement> StoredPlacement(::Window window);
  // The ICCCM state the window manager gives the window; none when it has set none.
  std::optional<unsigned long> WmState(::Window window);
  SavedPlacement CurrentPlacement(::Window window, const XWindowAttributes& attributes);
  void Hide(::Window window, const XWindowAttributes& attributes, std::vector<unsigned long> group);
  // False for a window this program never hid: it is no one's to map here.
  bool Show(::Window window);
  void ShowOne(::Window window, const std::optional<SavedPlacement>& placement);

  X11Connection& x_;
  // The dock that stands for all docks in the current pass.
  ::Window taskbar_ = None;
  // The windows withdrawn here and not shown since. A mark on the window tells
  // a later run the same, but any program may write one.
  std::unordered_set<::Window> withdrawn_;
};

}  // namespace blindfold::x11
