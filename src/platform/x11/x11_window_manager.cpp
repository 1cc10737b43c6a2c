#include "platform/x11/x11_window_manager.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <glib.h>
#include <nettle/hmac.h>
#include <sys/random.h>

#include <algorithm>
#include <array>
#include <memory>

#include "core/log.h"
#include "platform/linux/key_file_registry.h"
#include "platform/linux/processes.h"
#include "platform/linux/text_rules.h"
#include "platform/x11/window_access.h"

namespace blindfold::x11 {
namespace {

// Where Blindfold keeps what a hidden window had, on the window itself.
constexpr const char* kPlacementProperty = "_BLINDFOLD_PLACEMENT";
// The mark's seal, which only this program can make.
constexpr const char* kSealProperty = "_BLINDFOLD_SEAL";
constexpr std::size_t kMarkKeyBytes = 32;
// ICCCM WM_STATE values.
constexpr unsigned long kWithdrawnState = 0;
// The states in which a window has a size other than its own.
constexpr std::array<const char*, 3> kEnlargedStates = {"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ",
                                                        "_NET_WM_STATE_FULLSCREEN"};

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

}  // namespace

// The root's children in the server's order, bottom first: the frames of
// the window manager, the withdrawn windows and the pop-ups.
std::vector<::Window> X11WindowManager::RootChildren() {
  ::Window rootOut = None;
  ::Window parent = None;
  ::Window* children = nullptr;
  unsigned int count = 0;
  std::vector<::Window> rootChildren;
  if (XQueryTree(x_.Get(), x_.Root(), &rootOut, &parent, &children, &count) != 0) {
    const XFreed owned(children);
    rootChildren.assign(children, children + count);
  }
  return rootChildren;
}

std::vector<::Window> X11WindowManager::StackTopFirst() {
  if (stack_) return *stack_;
  std::vector<::Window> stack;
  const std::vector<::Window> rootChildren = RootChildren();
  if (const auto clients = x_.ReadProperty(x_.Root(), x_.Intern("_NET_CLIENT_LIST_STACKING"), XA_WINDOW)) {
    stack.assign(clients->numbers.begin(), clients->numbers.end());
    // Not every window manager keeps the list in step with a restack: the
    // server's own order of the frames is the truth, where each is found.
    std::unordered_map<::Window, std::size_t> placeOfFrame;
    for (std::size_t i = 0; i < rootChildren.size(); ++i) placeOfFrame[rootChildren[i]] = i;
    std::vector<std::pair<std::size_t, ::Window>> placed;
    for (const ::Window client : stack) {
      const auto place = placeOfFrame.find(FrameOf(client));
      if (place == placeOfFrame.end()) {
        placed.clear();
        break;
      }
      placed.emplace_back(place->second, client);
    }
    if (placed.size() == stack.size()) {
      std::ranges::stable_sort(placed, {}, &std::pair<std::size_t, ::Window>::first);
      std::ranges::transform(placed, stack.begin(), &std::pair<std::size_t, ::Window>::second);
    }
  } else {
    // No window manager: the root's children, which is all there is.
    stack = std::move(rootChildren);
  }
  // Both run bottom to top.
  std::ranges::reverse(stack);
  return stack;
}

// The window's ancestor that is a child of the root: the frame the window
// manager put around it, or the window itself. None when it has gone.
::Window X11WindowManager::FrameOf(::Window window) {
  for (int depth = 0; depth < 8; ++depth) {
    ::Window root = None;
    ::Window parent = None;
    ::Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(x_.Get(), window, &root, &parent, &children, &count) == 0) return None;
    const XFreed owned(children);
    if (parent == root || parent == None) return window;
    window = parent;
  }
  return None;
}

// The stack is read once for the pass, and kept for the hides that follow
// it: they take windows out of it, but move none of the others.
void X11WindowManager::EnumWindows(const std::function<bool(WindowHandle)>& visit) {
  taskbar_ = None;
  stack_.reset();
  popupsOnScreen_.reset();
  stack_ = StackTopFirst();
  for (const ::Window window : *stack_) {
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
  if (const auto state = WmState(window)) return *state != kWithdrawnState;
  // Openbox sets no WM_STATE on a window it takes on for a desktop out of
  // sight, until that desktop is shown: its list of clients tells.
  const auto clients = x_.ReadProperty(x_.Root(), x_.Intern("_NET_CLIENT_LIST"), XA_WINDOW);
  return clients && std::ranges::find(clients->numbers, window) != clients->numbers.end();
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
  return linux_desktop::CountCharacters(linux_desktop::TextThroughBuffer(Title(ToWindow(handle)), 1 << 30));
}

std::string X11WindowManager::WindowText(WindowHandle handle, int bufferChars) {
  return linux_desktop::TextThroughBuffer(Title(ToWindow(handle)), bufferChars);
}

std::string X11WindowManager::ClassName(WindowHandle handle, int bufferChars) {
  const auto wmClass = x_.ReadProperty(ToWindow(handle), XA_WM_CLASS, XA_STRING);
  if (!wmClass) return {};
  // WM_CLASS is Latin-1, as ICCCM has it.
  return linux_desktop::TextThroughBuffer(Latin1ToUtf8(ClassFromWmClass({reinterpret_cast<const char*>(wmClass->bytes.data()),
                                                          wmClass->bytes.size()})),
                           bufferChars);
}

namespace {

// The X client that made a window, named by the id base the server gave it: no
// other client shares it. The X.Org server gives each client 2^21 ids unless
// started for more clients than its default.
unsigned long ClientOf(::Window window) {
  constexpr unsigned long kClientIds = 0x1FFFFF;
  return window & ~kClientIds;
}

}  // namespace

std::uint32_t X11WindowManager::StatedProcess(::Window window) {
  const auto pid = x_.ReadProperty(window, x_.Intern("_NET_WM_PID"), XA_CARDINAL);
  return pid && !pid->numbers.empty() ? static_cast<std::uint32_t>(pid->numbers[0]) : 0;
}

// _NET_WM_PID when the program states it; otherwise the client that made the
// window, which is what telling a window's owner apart needs. A program's
// pop-ups (menus, tooltips) often state nothing, not even a class: they count
// as the process that another window of their client states, on screen or
// hidden here, so that the watch knows them for a hidden program's. (Only
// pop-ups: the recovery record knows a window by its process, and after a
// restart the windows hidden with it are nowhere to be asked.)
std::uint32_t X11WindowManager::ProcessId(WindowHandle handle) {
  const ::Window window = ToWindow(handle);
  XWindowAttributes attributes;
  if (!Attributes(x_.Get(), window, attributes)) return 0;
  if (const std::uint32_t stated = StatedProcess(window)) return stated;
  const unsigned long client = ClientOf(window);
  if (!attributes.override_redirect) return static_cast<std::uint32_t>(client);
  std::vector<::Window> sameClient;
  for (const ::Window hidden : withdrawn_) {
    if (hidden != window && ClientOf(hidden) == client) sameClient.push_back(hidden);
  }
  if (const auto clients = x_.ReadProperty(x_.Root(), x_.Intern("_NET_CLIENT_LIST"), XA_WINDOW)) {
    for (const unsigned long listed : clients->numbers) {
      if (listed != window && ClientOf(listed) == client) sameClient.push_back(listed);
    }
  }
  for (const ::Window other : sameClient) {
    if (const std::uint32_t stated = StatedProcess(other)) return stated;
  }
  return static_cast<std::uint32_t>(client);
}

// A program's pop-ups are override-redirect windows, which no window manager
// lists and which it maps and unmaps itself; those on screen when one of its
// windows hides would stay over the empty desktop. They are told by the client
// that made them, or by the process where both state it. The pop-ups on screen
// are read once for the pass, as the stack is.
std::vector<::Window> X11WindowManager::OpenPopupsOf(::Window window) {
  if (!popupsOnScreen_) {
    popupsOnScreen_.emplace();
    for (const ::Window child : RootChildren()) {
      XWindowAttributes attributes;
      if (!Attributes(x_.Get(), child, attributes)) continue;
      if (attributes.override_redirect && attributes.map_state == IsViewable) {
        popupsOnScreen_->push_back({child, StatedProcess(child)});
      }
    }
  }
  std::vector<::Window> popups;
  const std::uint32_t process = StatedProcess(window);
  for (const auto& [popup, itsProcess] : *popupsOnScreen_) {
    if (popup == window || withdrawn_.contains(popup)) continue;
    if (ClientOf(popup) == ClientOf(window) || (process != 0 && itsProcess == process)) popups.push_back(popup);
  }
  return popups;
}

// Only a pid the program states names a process, and only one of this machine:
// a client of another host says its own machine in WM_CLIENT_MACHINE.
std::string X11WindowManager::ProgramPath(WindowHandle handle) {
  const ::Window window = ToWindow(handle);
  XWindowAttributes attributes;
  if (!Attributes(x_.Get(), window, attributes)) return {};
  const auto pid = x_.ReadProperty(window, x_.Intern("_NET_WM_PID"), XA_CARDINAL);
  if (!pid || pid->numbers.empty() || pid->numbers[0] == 0 || pid->numbers[0] > 0xFFFFFFFFul) return {};
  if (const auto machine = x_.ReadProperty(window, XA_WM_CLIENT_MACHINE, XA_STRING); machine && !machine->bytes.empty()) {
    std::array<char, 256> host{};
    if (gethostname(host.data(), host.size() - 1) != 0) return {};
    const std::string_view stated(reinterpret_cast<const char*>(machine->bytes.data()), machine->bytes.size());
    if (stated.substr(0, stated.find('\0')) != std::string_view(host.data())) return {};
  }
  return linux_desktop::ProgramOfProcess(static_cast<std::uint32_t>(pid->numbers[0]));
}

std::optional<SavedPlacement> X11WindowManager::StoredPlacement(::Window window) {
  const auto property = x_.ReadProperty(window, x_.Intern(kPlacementProperty), XA_CARDINAL);
  if (!property) return std::nullopt;
  return DecodePlacement(property->numbers);
}

void X11WindowManager::WriteMark(::Window window, const std::vector<unsigned long>& items) {
  XChangeProperty(x_.Get(), window, x_.Intern(kPlacementProperty), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(items.data()), static_cast<int>(items.size()));
  if (markKey_.empty()) {
    XDeleteProperty(x_.Get(), window, x_.Intern(kSealProperty));
    return;
  }
  const std::vector<unsigned long> seal = SealOf(window, items);
  XChangeProperty(x_.Get(), window, x_.Intern(kSealProperty), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(seal.data()), static_cast<int>(seal.size()));
}

void X11WindowManager::DeleteMark(::Window window) {
  XDeleteProperty(x_.Get(), window, x_.Intern(kPlacementProperty));
  XDeleteProperty(x_.Get(), window, x_.Intern(kSealProperty));
}

// The window's id and the mark's items, each as four bytes, least significant
// first: what a 32-bit property holds, whatever the width of a long here.
std::vector<unsigned long> X11WindowManager::SealOf(::Window window, const std::vector<unsigned long>& items) const {
  hmac_sha256_ctx context;
  hmac_sha256_set_key(&context, markKey_.size(), reinterpret_cast<const std::uint8_t*>(markKey_.data()));
  const auto add = [&context](unsigned long value) {
    const std::array<std::uint8_t, 4> bytes = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                               static_cast<std::uint8_t>(value >> 16),
                                               static_cast<std::uint8_t>(value >> 24)};
    hmac_sha256_update(&context, bytes.size(), bytes.data());
  };
  add(window);
  for (const unsigned long item : items) add(item);
  std::array<std::uint8_t, SHA256_DIGEST_SIZE> digest{};
  hmac_sha256_digest(&context, digest.size(), digest.data());
  std::vector<unsigned long> seal;
  for (std::size_t i = 0; i < digest.size(); i += 4) {
    seal.push_back(digest[i] | static_cast<unsigned long>(digest[i + 1]) << 8 |
                   static_cast<unsigned long>(digest[i + 2]) << 16 | static_cast<unsigned long>(digest[i + 3]) << 24);
  }
  return seal;
}

bool X11WindowManager::SealFits(::Window window) {
  if (markKey_.empty()) return false;
  const auto mark = x_.ReadProperty(window, x_.Intern(kPlacementProperty), XA_CARDINAL);
  const auto seal = x_.ReadProperty(window, x_.Intern(kSealProperty), XA_CARDINAL);
  if (!mark || !seal || mark->format != 32 || seal->format != 32) return false;
  std::vector<unsigned long> items;
  for (const unsigned long item : mark->numbers) items.push_back(item & 0xFFFFFFFFul);
  std::vector<unsigned long> found;
  for (const unsigned long item : seal->numbers) found.push_back(item & 0xFFFFFFFFul);
  return found == SealOf(window, items);
}

void X11WindowManager::KeepMarkKeyIn(std::string keyFile) {
  markKeyFile_ = std::move(keyFile);
  gchar* bytes = nullptr;
  gsize length = 0;
  if (g_file_get_contents(markKeyFile_.c_str(), &bytes, &length, nullptr) && length == kMarkKeyBytes) {
    markKey_.assign(bytes, length);
  }
  g_free(bytes);
  if (markKey_.empty()) MakeMarkKey();
}

// Without a key that can be kept, marks go unsealed: the record alone vouches
// for them then.
void X11WindowManager::MakeMarkKey() {
  std::string key(kMarkKeyBytes, '\0');
  const bool made = getrandom(key.data(), key.size(), 0) == static_cast<ssize_t>(key.size());
  markKey_ = made && linux_desktop::ReplaceFileAtomically(markKeyFile_, key) ? key : std::string();
  if (markKey_.empty()) log::Warning("hide", "no key for sealing marks could be kept in ", markKeyFile_);
}

// Top-level windows of this display, withdrawn, each under a mark whose seal
// fits it.
std::vector<WindowHandle> X11WindowManager::LeftHiddenByThisProgram() {
  std::vector<WindowHandle> found;
  for (const ::Window child : RootChildren()) {
    XWindowAttributes attributes;
    if (!Attributes(x_.Get(), child, attributes) || attributes.map_state != IsUnmapped) continue;
    if (StoredPlacement(child) && SealFits(child)) found.push_back(ToHandle(child));
  }
  if (found.empty() && !markKeyFile_.empty()) MakeMarkKey();
  log::Info("recovery", found.size(), " withdrawn windows bear a sealed mark");
  return found;
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
  ScreenStateFacts facts;
  if (const auto states = x_.ReadProperty(window, x_.Intern("_NET_WM_STATE"), XA_ATOM)) {
    // Minimised is the window manager's own state: it is asked for through the
    // initial state instead.
    for (const unsigned long state : states->numbers) {
      if (state == hidden) {
        facts.hiddenState = true;
      } else {
        placement.states.push_back(state);
      }
    }
  }
  facts.iconic = WmState(window) == IconicState;
  facts.managerKeepsHidden = ManagerSupports("_NET_WM_STATE_HIDDEN");
  if (placement.hasDesktop && placement.desktop != 0xFFFFFFFFu) {
    const auto current = x_.ReadProperty(x_.Root(), x_.Intern("_NET_CURRENT_DESKTOP"), XA_CARDINAL);
    facts.onCurrentDesktop = !current || current->numbers.empty() || current->numbers[0] == placement.desktop;
  }
  placement.minimised = MinimisedFrom(facts);
  placement.focused = window == activeAtHide_;
  std::vector<::Window> stack = StackTopFirst();
  if (std::ranges::find(stack, window) == stack.end()) {
    // Opened since the listing: the stack is read anew.
    stack_.reset();
    stack = StackTopFirst();
  }
  if (const auto self = std::ranges::find(stack, window); self != stack.end()) {
    for (auto above = std::make_reverse_iterator(self); above != stack.rend(); ++above) {
      if (placement.above.size() == kKeptWindowsAbove) break;
      placement.above.push_back(*above);
    }
  }
  return placement;
}

// A window hidden again keeps what it had before its first hide. The mark is
// trusted only where this program set it: a window it withdrew in this run, or
// one still withdrawn since a run that died. A mark on a window that is on
// screen is stale or forged, and is written anew.
//
// The window that had the keyboard is the one that had it as the first window
// of a hide went: by the time the later ones go, the activation has moved on,
// and a window its program opens while the others are hidden may well take it
// then.
void X11WindowManager::Hide(::Window window, const XWindowAttributes& attributes, std::vector<unsigned long> group) {
  const bool keepMark = StoredPlacement(window) && (withdrawn_.contains(window) || attributes.map_state == IsUnmapped);
  if (!hiding_) {
    hiding_ = true;
    activeAtHide_ = None;
    // Hidden again after a start that found it so: its mark tells.
    if (!keepMark) activeAtHide_ = ToWindow(ForegroundWindow());
  }
  if (!keepMark) {
    if (attributes.override_redirect == False) {
      for (const ::Window popup : OpenPopupsOf(window)) {
        XWindowAttributes popupAttributes;
        if (!Attributes(x_.Get(), popup, popupAttributes)) continue;
        log::Info("hide", "pop-up ", popup, " goes with window ", window);
        Hide(popup, popupAttributes, {});
        group.push_back(popup);
      }
    }
    SavedPlacement placement = CurrentPlacement(window, attributes);
    placement.group = std::move(group);
    if (log::Enabled(log::Level::Debug)) {
      std::string above;
      for (const unsigned long other : placement.above) above += " " + std::to_string(other);
      log::Debug("hide", "window ", window, " had above it:", above);
    }
    WriteMark(window, EncodePlacement(placement));
    // Some window managers let a maximised window go at its maximised size
    // and forget the size it had before. Un-maximised just before the
    // withdrawal (the window manager takes the two in that order, and the
    // window is not drawn in between), it keeps that size on itself for its
    // show; its state is in the record.
    for (const char* enlarged : kEnlargedStates) {
      if (std::ranges::find(placement.states, x_.Intern(enlarged)) != placement.states.end()) {
        ChangeState(window, false, enlarged);
      }
    }
  }
  withdrawn_.insert(window);
  shownSinceHide_.clear();
  focusedAtHide_.clear();
  restacksSinceHide_.clear();
  activated_ = None;
  restacksBeforeActivation_ = 0;
  toPlace_.clear();
  aboveAtHide_.clear();
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
  hiding_ = false;
  stack_.reset();
  // A pop-up (a menu, a tooltip, a program's own notice) is the program's to
  // show: by now it has usually closed it, and one mapped again would stay on
  // top of everything, out of any window manager's reach.
  XWindowAttributes attributes;
  if (Attributes(x_.Get(), window, attributes) && attributes.override_redirect) {
    DeleteMark(window);
    return;
  }
  if (!placement) {
    XMapWindow(x_.Get(), window);
    return;
  }
  SavedPlacement restored = *placement;
  KeepRestoreGeometry(window, restored);
  // What the window manager reads when it takes the window on again.
  if (restored.hasDesktop) {
    const unsigned long desktop = restored.desktop;
    XChangeProperty(x_.Get(), window, x_.Intern("_NET_WM_DESKTOP"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&desktop), 1);
  }
  // Maximised or full screen only once the window manager has it at its own
  // size: not every window manager takes those states from a window it maps,
  // nor keeps the size it was mapped at as the one to go back to.
  std::vector<unsigned long> mappedStates;
  std::vector<const char*> enlargedStates;
  for (const unsigned long state : restored.states) {
    const auto enlarged = std::ranges::find_if(kEnlargedStates, [&](const char* name) { return x_.Intern(name) == state; });
    if (enlarged == kEnlargedStates.end()) {
      mappedStates.push_back(state);
    } else {
      enlargedStates.push_back(*enlarged);
    }
  }
  XChangeProperty(x_.Get(), window, x_.Intern("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(mappedStates.data()),
                  static_cast<int>(mappedStates.size()));
  XWMHints wmHints{};
  if (const XFreed existing{XGetWMHints(x_.Get(), window)}) wmHints = *static_cast<XWMHints*>(existing.Get());
  wmHints.flags |= StateHint;
  wmHints.initial_state = restored.minimised ? IconicState : NormalState;
  XSetWMHints(x_.Get(), window, &wmHints);
  XSizeHints sizeHints{};
  long supplied = 0;
  XGetWMNormalHints(x_.Get(), window, &sizeHints, &supplied);
  // Without this the window manager would place it anew, as a new window.
  sizeHints.flags |= USPosition | USSize;
  sizeHints.x = restored.x;
  sizeHints.y = restored.y;
  sizeHints.width = static_cast<int>(restored.width);
  sizeHints.height = static_cast<int>(restored.height);
  XSetWMNormalHints(x_.Get(), window, &sizeHints);
  if (restored.width > 0 && restored.height > 0) {
    XMoveResizeWindow(x_.Get(), window, restored.x, restored.y, restored.width, restored.height);
  }
  DeleteMark(window);
  XMapWindow(x_.Get(), window);
  // The window manager takes the requests below in order, after the map.
  for (std::size_t i = 0; i < enlargedStates.size(); i += 2) {
    ChangeState(window, true, enlargedStates[i], i + 1 < enlargedStates.size() ? enlargedStates[i + 1] : nullptr);
  }
  PlaceWithTheOthers(window, restored);
  if (restored.focused) focusedAtHide_.push_back(window);
  // A window manager flags a window that maps on a desktop out of sight, or
  // behind the active one, as asking for attention: the user did not ask.
  const Atom attention = x_.Intern("_NET_WM_STATE_DEMANDS_ATTENTION");
  if (std::ranges::find(restored.states, attention) == restored.states.end()) {
    ChangeState(window, false, "_NET_WM_STATE_DEMANDS_ATTENTION");
  }
}

// A maximised (or full-screen) window was recorded at its maximised size. Its
// own size is back on the window by its show: the window manager gave it back
// when it let the window go, or on the un-maximising before. Mapped at that
// size with its maximised state, it is maximised again and un-maximises to it.
// Where the window manager left the maximised size, that stays.
void X11WindowManager::KeepRestoreGeometry(::Window window, SavedPlacement& placement) {
  if (std::ranges::none_of(kEnlargedStates, [&](const char* enlarged) {
        return std::ranges::find(placement.states, x_.Intern(enlarged)) != placement.states.end();
      })) {
    return;
  }
  ::Window root = None;
  ::Window parent = None;
  ::Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(x_.Get(), window, &root, &parent, &children, &count) == 0) return;
  const XFreed owned(children);
  XWindowAttributes attributes;
  // Still inside the window manager's frame: it has not let go yet.
  if (parent != x_.Root() || !Attributes(x_.Get(), window, attributes)) return;
  if (attributes.width <= 0 || attributes.height <= 0) return;
  placement.x = attributes.x;
  placement.y = attributes.y;
  placement.width = static_cast<std::uint32_t>(attributes.width);
  placement.height = static_cast<std::uint32_t>(attributes.height);
}

bool X11WindowManager::ManagerSupports(const char* atom) {
  if (!supported_) {
    const auto supported = x_.ReadProperty(x_.Root(), x_.Intern("_NET_SUPPORTED"), XA_ATOM);
    supported_ = supported ? supported->numbers : std::vector<unsigned long>();
  }
  return std::ranges::find(*supported_, x_.Intern(atom)) != supported_->end();
}

// A window of the user's on screen that this program has not hidden: one that
// stayed, or one shown since the last hide.
bool X11WindowManager::OnScreen(::Window window) {
  if (withdrawn_.contains(window)) return false;
  XWindowAttributes attributes;
  return Attributes(x_.Get(), window, attributes) &&
         (attributes.map_state != IsUnmapped || shownSinceHide_.contains(window)) &&
         Type(window) == WindowType::Normal;
}

void X11WindowManager::ChangeState(::Window window, bool add, const char* state, const char* secondState) {
  AskManager(window, "_NET_WM_STATE",
             {add ? 1 : 0, static_cast<long>(x_.Intern(state)),
              secondState ? static_cast<long>(x_.Intern(secondState)) : 0, 2});
}

// An EWMH request about `window`, sent to the root for the window manager.
void X11WindowManager::AskManager(::Window window, const char* request, std::initializer_list<long> data) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = x_.Intern(request);
  event.xclient.format = 32;
  std::copy(data.begin(), data.end(), event.xclient.data.l);
  XSendEvent(x_.Get(), x_.Root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

// The requests are queued and sent at once; the window manager does the rest
// in its own time, and no other program is waited for.
bool X11WindowManager::ShowWindowAsync(WindowHandle handle, std::int32_t showCmd) {
  const ::Window window = ToWindow(handle);
  if (showCmd != kShowCmdHide) {
    // A show ends the hide, even one with nothing left to show.
    hiding_ = false;
    popupsOnScreen_.reset();
  }
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

// A window without a desktop, or on every one (0xFFFFFFFF), is on this one.
bool X11WindowManager::OnCurrentDesktop(WindowHandle handle) {
  const auto desktop = x_.ReadProperty(ToWindow(handle), x_.Intern("_NET_WM_DESKTOP"), XA_CARDINAL);
  if (!desktop || desktop->numbers.empty()) return true;
  const auto itsDesktop = static_cast<std::uint32_t>(desktop->numbers[0]);
  if (itsDesktop == 0xFFFFFFFFu) return true;
  const auto current = x_.ReadProperty(x_.Root(), x_.Intern("_NET_CURRENT_DESKTOP"), XA_CARDINAL);
  return !current || current->numbers.empty() || static_cast<std::uint32_t>(current->numbers[0]) == itsDesktop;
}

bool X11WindowManager::IsMinimised(WindowHandle handle) { return WmState(ToWindow(handle)) == IconicState; }

X11WindowManager::~X11WindowManager() {
  if (settle_ != 0) g_source_remove(settle_);
  if (placeSoon_ != 0) g_source_remove(placeSoon_);
}

}  // namespace blindfold::x11
