#include "platform/x11/x11_window_manager.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <glib.h>

#include <algorithm>
#include <array>
#include <memory>


namespace blindfold::x11 {
namespace {

// Where Blindfold keeps what a hidden window had, on the window itself.
constexpr const char* kPlacementProperty = "_BLINDFOLD_PLACEMENT";
// ICCCM WM_STATE values.
constexpr unsigned long kWithdrawnState = 0;

::Window ToWindow(WindowHandle handle) { return static_cast<::Window>(static_cast<std::uint32_t>(handle.Value())); }
WindowHandle ToHandle(::Window window) {
  return WindowHandle(static_cast<std::int32_t>(static_cast<std::uint32_t>(window)));
}

struct XFreeTraits {
  using Handle = void*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle data) { XFree(data); }
};
using XFreed = UniqueHandle<XFreeTraits>;

// Another program's UTF-8 may be broken; texts leave here valid, so that no
// key file or widget rejects them. They end at a NUL in any case.
std::string ValidUtf8(std::string bytes) {
  bytes.resize(std::min(bytes.size(), bytes.find('\0')));
  if (g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr)) return bytes;
  gchar* valid = g_utf8_make_valid(bytes.data(), static_cast<gssize>(bytes.size()));
  std::string result = valid;
  g_free(valid);
  return result;
}

bool Attributes(Display* display, ::Window window, XWindowAttributes& attributes) {
  return window != None && XGetWindowAttributes(display, window, &attributes) != 0;
}

}  // namespace

std::vector<::Window> X11WindowManager::StackTopFirst() {
  std::vector<::Window> stack;
  if (const auto clients = x_.ReadProperty(x_.Root(), x_.Intern("_NET_CLIENT_LIST_STACKING"), XA_WINDOW)) {
    stack.assign(clients->numbers.begin(), clients->numbers.end());
  } else {
    // No window manager: the root's children, which is all there is.
    ::Window rootOut = None;
    ::Window parent = None;
    ::Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(x_.Get(), x_.Root(), &rootOut, &parent, &children, &count) != 0) {
      const XFreed owned(children);
      stack.assign(children, children + count);
    }
  }
  // Both lists run bottom to top.
  std::ranges::reverse(stack);
  return stack;
}

void X11WindowManager::EnumWindows(const std::function<bool(WindowHandle)>& visit) {
  taskbar_ = None;
  for (const ::Window window : StackTopFirst()) {
    if (!visit(ToHandle(window))) return;
  }
}

WindowType X11WindowManager::Type(::Window window) {
  const auto types = x_.ReadProperty(window, x_.Intern("_NET_WM_WINDOW_TYPE"), XA_ATOM);
  if (!types) return WindowType::Normal;
  const std::array<unsigned long, 6> others = {
      x_.Intern("_NET_WM_WINDOW_TYPE_NORMAL"),  x_.Intern("_NET_WM_WINDOW_TYPE_DIALOG"),
      x_.Intern("_NET_WM_WINDOW_TYPE_UTILITY"), x_.Intern("_NET_WM_WINDOW_TYPE_TOOLBAR"),
      x_.Intern("_NET_WM_WINDOW_TYPE_MENU"),    x_.Intern("_NET_WM_WINDOW_TYPE_SPLASH")};
  return TypeFromTypes(types->numbers, x_.Intern("_NET_WM_WINDOW_TYPE_DOCK"),
                       x_.Intern("_NET_WM_WINDOW_TYPE_DESKTOP"), others);
}

// A window is visible while it is mapped, or while the window manager keeps it
// minimised, as a minimised window on Windows keeps its visible style. A window
// this program withdrew is hidden even before the window manager has caught up
// with its state, unless another run has shown it since (taking the mark
// away); one its program mapped again is visible, whatever marks it carries,
// so that the watch sees it come back.
bool X11WindowManager::IsVisible(::Window window, const XWindowAttributes& attributes) {
  if (attributes.map_state != IsUnmapped) return true;
  if (withdrawn_.contains(window) && StoredPlacement(window)) return false;
  const auto state = WmState(window);
  return state && *state != kWithdrawnState;
}

std::optional<unsigned long> X11WindowManager::WmState(::Window window) {
  const Atom wmState = x_.Intern("WM_STATE");
  const auto state = x_.ReadProperty(window, wmState, wmState);
  if (!state || state->numbers.empty()) return std::nullopt;
  return state->numbers[0];
}

WindowState X11WindowManager::State(WindowHandle handle) {
  const ::Window window = ToWindow(handle);
  XWindowAttributes attributes;
  if (!Attributes(x_.Get(), window, attributes)) return {};
  WindowState state;
  state.visible = IsVisible(window, attributes);
  state.enabled = true;
  ::Window owner = None;
  if (XGetTransientForHint(x_.Get(), window, &owner) != 0 && owner != None) {
    state.parent = ToHandle(owner);
    return state;
  }
  // The first dock met in a pass is the taskbar; the others go with it, as
  // windows it owns.
  switch (Type(window)) {
    case WindowType::Dock:
      if (!state.visible) break;
      if (taskbar_ == None) taskbar_ = window;
      if (taskbar_ != window) state.parent = ToHandle(taskbar_);
      state.role = WindowRole::Taskbar;
      break;
    case WindowType::Desktop:
      state.role = WindowRole::Desktop;
      break;
    case WindowType::Normal:
      break;
  }
  return state;
}

bool X11WindowManager::IsWindowVisible(WindowHandle handle) {
  XWindowAttributes attributes;
  return Attributes(x_.Get(), ToWindow(handle), attributes) && IsVisible(ToWindow(handle), attributes);
}

std::optional<std::string> X11WindowManager::TextProperty(::Window window, const char* name) {
  const auto property = x_.ReadProperty(window, x_.Intern(name));
  if (!property || property->format != 8) return std::nullopt;
  const std::string bytes(property->bytes.begin(), property->bytes.end());
  if (property->type == x_.Intern("UTF8_STRING")) return ValidUtf8(bytes);
  if (property->type == XA_STRING) return Latin1ToUtf8(bytes);
  // COMPOUND_TEXT and the like: Xlib knows how to read them.
  std::vector<unsigned char> bytesCopy = property->bytes;
  XTextProperty text{bytesCopy.data(), property->type, property->format, bytesCopy.size()};
  char** list = nullptr;
  int count = 0;
  if (Xutf8TextPropertyToTextList(x_.Get(), &text, &list, &count) < Success || count < 1) return std::nullopt;
  std::string converted = list[0];
  XFreeStringList(list);
  return converted;
}

std::string X11WindowManager::Title(::Window window) {
  return TitleFromNames(TextProperty(window, "_NET_WM_NAME"), TextProperty(window, "WM_NAME"));
}

int X11WindowManager::WindowTextLength(WindowHandle handle) {
  return CountCharacters(TextThroughBuffer(Title(ToWindow(handle)), 1 << 30));
}

std::string X11WindowManager::WindowText(WindowHandle handle, int bufferChars) {
  return TextThroughBuffer(Title(ToWindow(handle)), bufferChars);
}

std::string X11WindowManager::ClassName(WindowHandle handle, int bufferChars) {
  const auto wmClass = x_.ReadProperty(ToWindow(handle), XA_WM_CLASS, XA_STRING);
  if (!wmClass) return {};
  // WM_CLASS is Latin-1, as ICCCM has it.
  return TextThroughBuffer(Latin1ToUtf8(ClassFromWmClass({reinterpret_cast<const char*>(wmClass->bytes.data()),
                                                          wmClass->bytes.size()})),
                           bufferChars);
}

// _NET_WM_PID when the program states it; otherwise the X client that made the
// window, named by the id base the server gave it: no other client shares it,
// which is what telling a window's owner apart needs. The X.Org server gives
// each client 2^21 ids unless started for more clients than its default.
std::uint32_t X11WindowManager::ProcessId(WindowHandle handle) {
  const ::Window window = ToWindow(handle);
  XWindowAttributes attributes;
  if (!Attributes(x_.Get(), window, attributes)) return 0;
  const auto pid = x_.ReadProperty(window, x_.Intern("_NET_WM_PID"), XA_CARDINAL);
  if (pid && !pid->numbers.empty() && pid->numbers[0] != 0) return static_cast<std::uint32_t>(pid->numbers[0]);
  constexpr unsigned long kClientIds = 0x1FFFFF;
  return static_cast<std::uint32_t>(window & ~kClientIds);
}

std::optional<SavedPlacement> X11WindowManager::StoredPlacement(::Window window) {
  const auto property = x_.ReadProperty(window, x_.Intern(kPlacementProperty), XA_CARDINAL);
  if (!property) return std::nullopt;
  return DecodePlacement(property->numbers);
}

// The position kept is the one the window manager reads back on mapping: for
// the usual north-west gravity that is the frame's corner, for static gravity
// the window's own.
SavedPlacement X11WindowManager::CurrentPlacement(::Window window, const XWindowAttributes& attributes) {
  SavedPlacement placement;
  placement.width = static_cast<std::uint32_t>(attributes.width);
  placement.height = static_cast<std::uint32_t>(attributes.height);
  ::Window child = None;
  int x = attributes.x;
  int y = attributes.y;
  XTranslateCoordinates(x_.Get(), window, x_.Root(), 0, 0, &x, &y, &child);
  XSizeHints hints{};
  long supplied = 0;
  const bool staticGravity = XGetWMNormalHints(x_.Get(), window, &hints, &supplied) != 0 &&
                             (hints.flags & PWinGravity) != 0 && hints.win_gravity == StaticGravity;
  if (!staticGravity) {
    const auto extents = x_.ReadProperty(window, x_.Intern("_NET_FRAME_EXTENTS"), XA_CARDINAL);
    if (extents && extents->numbers.size() == 4) {
      x -= static_cast<int>(extents->numbers[0]);
      y -= static_cast<int>(extents->numbers[2]);
    }
  }
  placement.x = x;
  placement.y = y;
  if (const auto desktop = x_.ReadProperty(window, x_.Intern("_NET_WM_DESKTOP"), XA_CARDINAL);
      desktop && !desktop->numbers.empty()) {
    placement.hasDesktop = true;
    placement.desktop = static_cast<std::uint32_t>(desktop->numbers[0]);
  }
  const Atom hidden = x_.Intern("_NET_WM_STATE_HIDDEN");
  if (const auto states = x_.ReadProperty(window, x_.Intern("_NET_WM_STATE"), XA_ATOM)) {
    // Minimised is the window manager's own state: it is asked for through the
    // initial state instead.
    for (const unsigned long state : states->numbers) {
      if (state != hidden) placement.states.push_back(state);
    }
  }
  placement.minimised = WmState(window) == IconicState;
  return placement;
}

// A window hidden again keeps what it had before its first hide. The mark is
// trusted only where this program set it: a window it withdrew in this run, or
// one still withdrawn since a run that died. A mark on a window that is on
// screen is stale or forged, and is written anew.
void X11WindowManager::Hide(::Window window, const XWindowAttributes& attributes, std::vector<unsigned long> group) {
  const bool keepMark = StoredPlacement(window) && (withdrawn_.contains(window) || attributes.map_state == IsUnmapped);
  if (!keepMark) {
    SavedPlacement placement = CurrentPlacement(window, attributes);
    placement.group = std::move(group);
    const std::vector<unsigned long> items = EncodePlacement(placement);
    XChangeProperty(x_.Get(), window, x_.Intern(kPlacementProperty), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(items.data()), static_cast<int>(items.size()));
  }
  withdrawn_.insert(window);
  XWithdrawWindow(x_.Get(), window, x_.Screen());
}

bool X11WindowManager::HiddenByThisProgram(WindowHandle handle) {
  const ::Window window = ToWindow(handle);
  return withdrawn_.contains(window) || StoredPlacement(window).has_value();
}

// The mark is read from another program's window, which may have rewritten
// it: the windows hidden with it are followed one level deep, never back to
// itself or twice, and only where each bears a mark of its own.
bool X11WindowManager::Show(::Window window) {
  const auto placement = StoredPlacement(window);
  if (!placement && !withdrawn_.contains(window)) return false;
  if (placement) {
    std::unordered_set<::Window> members;
    for (const unsigned long member : placement->group) {
      const auto memberWindow = static_cast<::Window>(member);
      if (memberWindow == window || !members.insert(memberWindow).second) continue;
      if (StoredPlacement(memberWindow)) ShowOne(memberWindow, StoredPlacement(memberWindow));
    }
  }
  ShowOne(window, placement);
  return true;
}

void X11WindowManager::ShowOne(::Window window, const std::optional<SavedPlacement>& placement) {
  withdrawn_.erase(window);
  // A pop-up (a menu, a tooltip, a program's own notice) is the program's to
  // show: by now it has usually closed it, and one mapped again would stay on
  // top of everything, out of any window manager's reach.
  XWindowAttributes attributes;
  if (Attributes(x_.Get(), window, attributes) && attributes.override_redirect) {
    XDeleteProperty(x_.Get(), window, x_.Intern(kPlacementProperty));
    return;
  }
  if (placement) {
    // What the window manager reads when it takes the window on again.
    if (placement->hasDesktop) {
      const unsigned long desktop = placement->desktop;
      XChangeProperty(x_.Get(), window, x_.Intern("_NET_WM_DESKTOP"), XA_CARDINAL, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(&desktop), 1);
    }
    XChangeProperty(x_.Get(), window, x_.Intern("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(placement->states.data()),
                    static_cast<int>(placement->states.size()));
    XWMHints wmHints{};
    if (const XFreed existing{XGetWMHints(x_.Get(), window)}) wmHints = *static_cast<XWMHints*>(existing.Get());
    wmHints.flags |= StateHint;
    wmHints.initial_state = placement->minimised ? IconicState : NormalState;
    XSetWMHints(x_.Get(), window, &wmHints);
    XSizeHints sizeHints{};
    long supplied = 0;
    XGetWMNormalHints(x_.Get(), window, &sizeHints, &supplied);
    // Without this the window manager would place it anew, as a new window.
    sizeHints.flags |= USPosition | USSize;
    sizeHints.x = placement->x;
    sizeHints.y = placement->y;
    sizeHints.width = static_cast<int>(placement->width);
    sizeHints.height = static_cast<int>(placement->height);
    XSetWMNormalHints(x_.Get(), window, &sizeHints);
    if (placement->width > 0 && placement->height > 0) {
      XMoveResizeWindow(x_.Get(), window, placement->x, placement->y, placement->width, placement->height);
    }
    XDeleteProperty(x_.Get(), window, x_.Intern(kPlacementProperty));
  }
  XMapWindow(x_.Get(), window);
}

// The requests are queued and sent at once; the window manager does the rest
// in its own time, and no other program is waited for.
bool X11WindowManager::ShowWindowAsync(WindowHandle handle, std::int32_t showCmd) {
  const ::Window window = ToWindow(handle);
  XWindowAttributes attributes;
  if (!Attributes(x_.Get(), window, attributes)) return false;
  if (showCmd == kShowCmdHide) {
    std::vector<unsigned long> group;
    if (Type(window) == WindowType::Dock) {
      for (const ::Window other : StackTopFirst()) {
        XWindowAttributes otherAttributes;
        if (other == window || Type(other) != WindowType::Dock) continue;
        if (!Attributes(x_.Get(), other, otherAttributes) || !IsVisible(other, otherAttributes)) continue;
        Hide(other, otherAttributes, {});
        group.push_back(other);
      }
    }
    Hide(window, attributes, std::move(group));
    XFlush(x_.Get());
    return true;
  }
  const bool shown = Show(window);
  XFlush(x_.Get());
  return shown;
}

// The server carries out every request in order; a window is there to be
// changed as long as it exists.
bool X11WindowManager::Answering(WindowHandle handle) {
  XWindowAttributes attributes;
  return Attributes(x_.Get(), ToWindow(handle), attributes);
}

WindowHandle X11WindowManager::ForegroundWindow() {
  const auto active = x_.ReadProperty(x_.Root(), x_.Intern("_NET_ACTIVE_WINDOW"), XA_WINDOW);
  if (!active || active->numbers.empty()) return WindowHandle();
  return ToHandle(static_cast<::Window>(active->numbers.front()));
}

bool X11WindowManager::IsMinimised(WindowHandle handle) { return WmState(ToWindow(handle)) == IconicState; }

// Asks the window manager, as a pager would (source indication 2).

bool X11WindowManager::Activate(WindowHandle handle) {
  const ::Window window = ToWindow(handle);
  XWindowAttributes attributes;
  if (!Attributes(x_.Get(), window, attributes)) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = x_.Intern("_NET_ACTIVE_WINDOW");
  event.xclient.format = 32;
  event.xclient.data.l[0] = 2;
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(x_.Get(), x_.Root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XFlush(x_.Get());
  return true;
}

}  // namespace blindfold::x11
