#include "platform/x11/x11_window_manager.h"

#include <X11/Xutil.h>
#include <glib.h>

#include <algorithm>

#include "core/log.h"
#include "platform/x11/window_access.h"

// How windows shown again go back into the stack where they were, and the
// keyboard to the window that had it: asked of the window manager, checked a
// moment later, and asked again where it placed them otherwise.
namespace blindfold::x11 {

// The windows shown since the last placing go back where they were in the
// stack, in one pass once all of them are mapped (see StackRequests): among
// themselves and among the windows that stayed. A window owned by another that
// is still hidden goes above its owner when the owner comes back.
void X11WindowManager::PlaceShown() {
  if (placeSoon_ != 0) g_source_remove(placeSoon_);
  placeSoon_ = 0;
  if (toPlace_.empty()) return;
  const std::vector<ShownWindow> shown = std::move(toPlace_);
  toPlace_.clear();
  std::unordered_set<::Window> shownNow;
  for (const ShownWindow& window : shown) shownNow.insert(window.window);
  const auto stayed = [&](unsigned long window) {
    return !shownNow.contains(static_cast<::Window>(window)) && OnScreen(static_cast<::Window>(window));
  };
  std::vector<unsigned long> stayedTopFirst;
  for (const ::Window window : StackTopFirst()) {
    if (stayed(window)) stayedTopFirst.push_back(window);
  }
  for (const StackRequest& request : StackRequests(shown, stayedTopFirst)) {
    SendRestack(request.window, request.sibling, request.above ? Above : Below);
  }
  for (const ShownWindow& window : shown) {
    ::Window owner = None;
    if (XGetTransientForHint(x_.Get(), window.window, &owner) != 0 && owner != None && owner != window.window &&
        (withdrawn_.contains(owner) || StoredPlacement(owner))) {
      waitingForOwner_[owner].push_back(window.window);
    }
  }
  for (const ShownWindow& window : shown) {
    const auto waiting = waitingForOwner_.find(window.window);
    if (waiting == waitingForOwner_.end()) continue;
    // Each goes directly above the owner, so the first shown ends up lowest.
    for (auto owned = waiting->second.rbegin(); owned != waiting->second.rend(); ++owned) {
      if (!shownNow.contains(*owned)) SendRestack(*owned, window.window, Above);
    }
    waitingForOwner_.erase(waiting);
  }
}

// Shown with others, as a show is: placed with them once they are all
// mapped, at the activation that ends the show, or else when the main loop
// next turns.
void X11WindowManager::PlaceWithTheOthers(::Window window, const SavedPlacement& placement) {
  toPlace_.push_back({window, placement.above});
  aboveAtHide_[window] = placement.above;
  shownSinceHide_.insert(window);
  if (placeSoon_ == 0) {
    placeSoon_ = g_idle_add(
        [](gpointer self) -> gboolean {
          auto* manager = static_cast<X11WindowManager*>(self);
          manager->placeSoon_ = 0;
          manager->PlaceShown();
          XFlush(manager->x_.Get());
          return G_SOURCE_REMOVE;
        },
        this);
  }
}

// As a pager asks (source indication 2); where the window manager does not
// take that request, as ICCCM has a client ask.
void X11WindowManager::SendRestack(::Window window, ::Window sibling, int detail) {
  restacksSinceHide_.push_back({window, sibling, detail});
  log::Debug("show", "restack ", window, detail == Below ? " below " : " above ", sibling);
  if (ManagerSupports("_NET_RESTACK_WINDOW") && !RestackRequestIgnored()) {
    AskManager(window, "_NET_RESTACK_WINDOW", {2, static_cast<long>(sibling), detail});
    return;
  }
  XWindowChanges changes{};
  changes.sibling = sibling;
  changes.stack_mode = detail;
  x_.Trap([&] {
    XReconfigureWMWindow(x_.Get(), window, x_.Screen(), (sibling != None ? CWSibling : 0) | CWStackMode, &changes);
  });
}

// After a show, the window that had the keyboard when the windows were hidden
// gets it back, even where only the record of a Blindfold that died tells which
// it was; the window asked for is taken when it had it, or stayed on screen.
// The window manager is asked as a pager would ask it (source indication 2).
bool X11WindowManager::Activate(WindowHandle handle) {
  ::Window window = ToWindow(handle);
  XWindowAttributes attributes;
  if (!Attributes(x_.Get(), window, attributes)) return false;
  if (shownSinceHide_.contains(window) && std::ranges::find(focusedAtHide_, window) == focusedAtHide_.end()) {
    for (const ::Window focused : focusedAtHide_) {
      XWindowAttributes focusedAttributes;
      if (!Attributes(x_.Get(), focused, focusedAttributes)) continue;
      window = focused;
      break;
    }
  }
  focusedAtHide_.clear();
  PlaceShown();
  AskManager(window, "_NET_ACTIVE_WINDOW", {2, CurrentTime});
  restacksBeforeActivation_ = restacksSinceHide_.size();
  // Raised by the activation, the window would cover the windows it owns that
  // came back with it and were above it; they stay above it.
  const auto itsAbove = aboveAtHide_.find(window);
  for (const ::Window shown : shownSinceHide_) {
    ::Window owner = None;
    if (XGetTransientForHint(x_.Get(), shown, &owner) == 0 || owner != window) continue;
    if (itsAbove == aboveAtHide_.end() || std::ranges::find(itsAbove->second, shown) != itsAbove->second.end()) {
      SendRestack(shown, window, Above);
    }
  }
  XFlush(x_.Get());
  activated_ = window;
  if (settle_ == 0 && !shownSinceHide_.empty()) {
    constexpr guint kSettleMs = 300;
    settle_ = g_timeout_add(kSettleMs,
                            [](gpointer self) -> gboolean {
                              static_cast<X11WindowManager*>(self)->Settle();
                              return G_SOURCE_REMOVE;
                            },
                            this);
  }
  return true;
}

// Only when the window manager did otherwise: gave the keyboard to another
// window of the show, or stacked one of them elsewhere. A user who has since
// moved on has given the keyboard to a window of their own choosing.
void X11WindowManager::Settle() {
  settle_ = 0;
  XWindowAttributes attributes;
  if (activated_ == None || !Attributes(x_.Get(), activated_, attributes)) return;
  const ::Window active = ToWindow(ForegroundWindow());
  if (active != activated_ && !shownSinceHide_.contains(active)) return;
  if (active == activated_ && StackAsAsked()) return;
  log::Info("show", "the window manager placed the shown windows otherwise: asking again");
  const std::vector<RestackRequest> requests = std::move(restacksSinceHide_);
  restacksSinceHide_.clear();
  const auto resend = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to && i < requests.size(); ++i) {
      if (OnScreen(requests[i].window)) SendRestack(requests[i].window, requests[i].sibling, requests[i].detail);
    }
  };
  // In the order of the show: the places, the activation, then the windows
  // that stay above the one activated.
  resend(0, restacksBeforeActivation_);
  AskManager(activated_, "_NET_ACTIVE_WINDOW", {2, CurrentTime});
  resend(restacksBeforeActivation_, requests.size());
  XFlush(x_.Get());
}

bool X11WindowManager::StackAsAsked() {
  stack_.reset();
  const std::vector<::Window> stack = StackTopFirst();
  std::unordered_map<::Window, std::size_t> depth;
  for (std::size_t i = 0; i < stack.size(); ++i) depth[stack[i]] = i;
  for (const RestackRequest& request : restacksSinceHide_) {
    const auto window = depth.find(request.window);
    const auto sibling = depth.find(request.sibling);
    if (window == depth.end() || sibling == depth.end()) continue;
    const bool below = window->second > sibling->second;
    if (below != (request.detail == Below)) return false;
  }
  return true;
}

// fluxbox names the request among those it supports, but a window it is asked
// to put below another stays where it is; the ICCCM request it carries out.
bool X11WindowManager::RestackRequestIgnored() {
  if (!restackRequestIgnored_) restackRequestIgnored_ = x_.WindowManagerName().starts_with("Fluxbox");
  return *restackRequestIgnored_;
}

}  // namespace blindfold::x11
