#pragma once

#include <X11/Xlib.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <unordered_map>
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
  X11WindowManager(const X11WindowManager&) = delete;
  X11WindowManager& operator=(const X11WindowManager&) = delete;
  ~X11WindowManager() override;

  void EnumWindows(const std::function<bool(WindowHandle)>& visit) override;
  WindowState State(WindowHandle window) override;
  bool IsWindowVisible(WindowHandle window) override;
  int WindowTextLength(WindowHandle window) override;
  std::string WindowText(WindowHandle window, int bufferChars) override;
  std::string ClassName(WindowHandle window, int bufferChars) override;
  std::uint32_t ProcessId(WindowHandle window) override;
  std::string ProgramPath(WindowHandle window) override;
  bool CloakedByItsApp(WindowHandle) override { return false; }
  bool Answering(WindowHandle window) override;
  WindowHandle ForegroundWindow() override;
  bool IsMinimised(WindowHandle window) override;
  bool Activate(WindowHandle window) override;
  bool OnCurrentDesktop(WindowHandle window) override;
  bool ShowWindowAsync(WindowHandle window, std::int32_t showCmd) override;
  bool HiddenByThisProgram(WindowHandle window) override;
  std::vector<WindowHandle> LeftHiddenByThisProgram() override;

  // Every mark this program writes is sealed: an HMAC-SHA-256, under a secret
  // key kept in `keyFile` (readable by its owner alone), of the window's id
  // and the mark. Any program on the display may read a mark and its seal, but
  // without the key it cannot seal a mark of its own, and a seal copied onto
  // another window does not fit that window. Only a sealed mark is believed
  // where there is no record to vouch for the window. The key is made afresh
  // by a start that finds no sealed window left hidden, so that a seal read in
  // an earlier session is worth nothing in this one.
  void KeepMarkKeyIn(std::string keyFile);

 private:
  std::vector<::Window> StackTopFirst();
  ::Window FrameOf(::Window window);
  WindowType Type(::Window window);
  std::string Title(::Window window);
  std::optional<std::string> TextProperty(::Window window, const char* name);
  // The process the window states (_NET_WM_PID); 0 when it states none.
  std::uint32_t StatedProcess(::Window window);
  std::vector<::Window> OpenPopupsOf(::Window window);
  std::vector<::Window> RootChildren();
  bool IsVisible(::Window window, const XWindowAttributes& attributes);
  std::optional<SavedPlacement> StoredPlacement(::Window window);
  void WriteMark(::Window window, const std::vector<unsigned long>& items);
  void DeleteMark(::Window window);
  bool SealFits(::Window window);
  std::vector<unsigned long> SealOf(::Window window, const std::vector<unsigned long>& items) const;
  void MakeMarkKey();
  // The ICCCM state the window manager gives the window; none when it has set none.
  std::optional<unsigned long> WmState(::Window window);
  SavedPlacement CurrentPlacement(::Window window, const XWindowAttributes& attributes);
  void Hide(::Window window, const XWindowAttributes& attributes, std::vector<unsigned long> group);
  // False for a window this program never hid: it is no one's to map here.
  bool Show(::Window window);
  void ShowOne(::Window window, const std::optional<SavedPlacement>& placement);
  // Where the window manager should give a maximised window back on
  // un-maximising: the geometry it left on the window when it let it go.
  void KeepRestoreGeometry(::Window window, SavedPlacement& placement);
  void PlaceWithTheOthers(::Window window, const SavedPlacement& placement);
  void PlaceShown();
  void SendRestack(::Window window, ::Window sibling, int detail);
  // Asks the window manager to add or remove one or two _NET_WM_STATE states.
  void ChangeState(::Window window, bool add, const char* state, const char* secondState = nullptr);
  void AskManager(::Window window, const char* request, std::initializer_list<long> data);
  bool ManagerSupports(const char* atom);
  bool OnScreen(::Window window);

  X11Connection& x_;
  // The dock that stands for all docks in the current pass.
  ::Window taskbar_ = None;
  // The windows withdrawn here and not shown since. A mark on the window tells
  // a later run the same, but any program may write one.
  std::unordered_set<::Window> withdrawn_;
  // Windows shown while the window that owns them was still hidden: they go
  // above it when it comes back, whichever order the two were hidden in.
  std::unordered_map<::Window, std::vector<::Window>> waitingForOwner_;
  // The windows shown since the last hide, which the window manager may not
  // have placed yet.
  std::unordered_set<::Window> shownSinceHide_;
  // Those not placed in the stack yet, the GLib idle that will, and the
  // windows each had above it.
  std::vector<ShownWindow> toPlace_;
  unsigned int placeSoon_ = 0;
  std::unordered_map<::Window, std::vector<unsigned long>> aboveAtHide_;
  // Those of them that had the keyboard when they were hidden.
  std::vector<::Window> focusedAtHide_;
  // Windows hidden since the last show, and the window that had the keyboard
  // as the first of them went.
  bool hiding_ = false;
  ::Window activeAtHide_ = None;
  // What the show asked of the stack, in order, and the window it activated.
  // Some window managers (fluxbox) raise and focus a window they take on
  // after requests already sent for it: a moment after the show, when the
  // keyboard has gone to another of the windows shown, the requests are made
  // again (Settle), once.
  struct RestackRequest {
    ::Window window;
    ::Window sibling;
    int detail;
  };
  std::vector<RestackRequest> restacksSinceHide_;
  ::Window activated_ = None;
  std::size_t restacksBeforeActivation_ = 0;
  unsigned int settle_ = 0;  // the GLib timeout, 0 for none
  void Settle();
  // Whether each window the show restacked is where it was asked to go,
  // relative to its sibling, in the stack as it is now.
  bool StackAsAsked();
  std::optional<std::vector<unsigned long>> supported_;
  bool RestackRequestIgnored();
  std::optional<bool> restackRequestIgnored_;
  std::string markKey_;
  std::string markKeyFile_;
  // The stack as the last listing read it.
  std::optional<std::vector<::Window>> stack_;
  // The pop-ups on screen then, with the process each states (0 for none).
  std::optional<std::vector<std::pair<::Window, std::uint32_t>>> popupsOnScreen_;
};

}  // namespace blindfold::x11
