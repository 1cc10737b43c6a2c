#include "platform/sway/sway_desktop.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "core/log.h"

namespace blindfold::sway {

namespace {

// Earlier versions marked each window they hid with its place, for a person
// looking at sway's tree; sway draws a mark in the title bar, which made a
// hide of many windows several times as slow. The record alone tells the
// place now; a mark left by an earlier version goes with the show.
bool BearsMarkOf(const SwayWindow& window, const HiddenPlace& place) {
  return std::ranges::find(window.marks, MarkOf(window.id, place)) != window.marks.end();
}

WindowHandle HandleOfNumber(std::int64_t id) { return WindowHandle(static_cast<std::int32_t>(id)); }
std::string Criteria(std::int64_t id) { return "[con_id=" + std::to_string(id) + "]"; }

}  // namespace

SwayWindowManager::~SwayWindowManager() {
  if (forget_) g_source_remove(forget_);
}

const std::vector<SwayWindow>& SwayWindowManager::Windows() {
  if (windows_) return *windows_;
  const std::optional<std::string> tree = ipc_.Request(IpcMessage::GetTree);
  std::optional<std::vector<SwayWindow>> windows = tree ? ReadTree(*tree) : std::nullopt;
  std::optional<std::string> unreachable;
  if (!tree) unreachable = "the window manager does not answer on " + ipc_.SocketPath();
  if (tree && !windows) unreachable = "the window manager's tree could not be read";
  // Said once, not on every look of the watch.
  if (unreachable && unreachable != unreachable_) log::Warning("sway", *unreachable);
  unreachable_ = std::move(unreachable);
  windows_ = windows ? std::move(*windows) : std::vector<SwayWindow>();
  if (windows && !reconciled_) Reconcile(*windows_);
  if (!forget_) {
    forget_ = g_idle_add_full(
        G_PRIORITY_HIGH,
        [](gpointer self) -> gboolean {
          static_cast<SwayWindowManager*>(self)->forget_ = 0;
          static_cast<SwayWindowManager*>(self)->windows_.reset();
          return G_SOURCE_REMOVE;
        },
        this, nullptr);
  }
  return *windows_;
}

// The record left by an earlier run: its windows still in the scratchpad are
// ours to show; one on screen was shown by someone else since, and one gone
// is gone. A record of another sway (con ids start again at 1 in each) is of
// no window here.
void SwayWindowManager::Reconcile(const std::vector<SwayWindow>& windows) {
  reconciled_ = true;
  const std::string kSocketKey = "socket";
  if (record_.Get(kSocketKey) != ipc_.SocketPath()) {
    record_.Clear();
    record_.Put(kSocketKey, ipc_.SocketPath());
    return;
  }
  for (const auto& entry : std::map(record_.Entries())) {
    const std::string& key = entry.first;
    if (key == kSocketKey) continue;
    const auto found = std::ranges::find_if(windows, [&key](const SwayWindow& window) {
      return std::to_string(window.id) == key;
    });
    if (found == windows.end() || !found->inScratchpad || !PlaceOfText(entry.second)) record_.Remove(key);
  }
}

std::optional<HiddenPlace> SwayWindowManager::RecordedPlace(std::int64_t id) const {
  const std::optional<std::string> text = record_.Get(std::to_string(id));
  return text ? PlaceOfText(*text) : std::nullopt;
}

void SwayWindowManager::Forget() { windows_.reset(); }

// What a pass over many windows asks of sway, written into the tree as read
// as if done, so that each window's commands are made from the tree as the
// ones before it leave it. Whatever sway refuses, the tree is read again.
void SwayWindowManager::InTree(std::int64_t id, const std::function<void(SwayWindow&)>& change) {
  if (!windows_) return;
  for (SwayWindow& window : *windows_) {
    if (window.id == id) change(window);
  }
}

// Where the window is now, as the tree says when read afresh: nothing when it
// has gone, or sway cannot be asked.
std::optional<SwayWindow> SwayWindowManager::Now(std::int64_t id) {
  for (const SwayWindow& window : Windows()) {
    if (window.id == id) return window;
  }
  return std::nullopt;
}

void SwayWindowManager::Focused(std::int64_t id) {
  if (!windows_) return;
  for (SwayWindow& window : *windows_) window.focused = window.id == id;
}

WindowHandle SwayWindowManager::HandleOf(const SwayWindow& window) const {
  return HandleOfNumber(processOf_ ? window.xWindow : window.id);
}

const SwayWindow* SwayWindowManager::Find(WindowHandle window) {
  if (!window) return nullptr;
  for (const SwayWindow& candidate : Windows()) {
    if (HandleOf(candidate) == window) return &candidate;
  }
  return nullptr;
}

void SwayWindowManager::EnumWindows(const std::function<bool(WindowHandle)>& visit) {
  // A copy: a visit may tell sway something, which makes the tree read again.
  const std::vector<SwayWindow> windows = Windows();
  for (const SwayWindow& window : windows) {
    if (!visit(HandleOf(window))) return;
  }
}

WindowState SwayWindowManager::State(WindowHandle window) {
  const SwayWindow* found = Find(window);
  if (!found) return {};
  return WindowState{WindowHandle(), !found->inScratchpad, true, WindowRole::Normal};
}

bool SwayWindowManager::IsWindowVisible(WindowHandle window) {
  const SwayWindow* found = Find(window);
  return found && !found->inScratchpad;
}

void SwayWindowManager::VisitListed(const std::function<bool(const linux_desktop::ListedWindow&)>& visit) {
  for (const SwayWindow& window : Windows()) {
    if (!visit({HandleOf(window), window.title, window.appId, window.pid})) return;
  }
}

std::uint32_t SwayWindowManager::ListedProcess(const linux_desktop::ListedWindow& window) {
  return processOf_ ? processOf_(window.handle.Value()) : window.pid;
}

WindowHandle SwayWindowManager::ForegroundWindow() {
  for (const SwayWindow& window : Windows()) {
    if (window.focused) return HandleOf(window);
  }
  return WindowHandle();
}

bool SwayWindowManager::Activate(WindowHandle window) {
  const SwayWindow* found = Find(window);
  if (!found || found->inScratchpad) return false;
  const std::int64_t id = found->id;
  const bool focused = ipc_.Run(Criteria(id) + " focus");
  if (focused) {
    Focused(id);
  } else {
    Forget();
  }
  return focused;
}

bool SwayWindowManager::ShowWindowAsync(WindowHandle window, std::int32_t showCmd) {
  return ShowWindowsAsync({window}, showCmd).front();
}

// A pass reads the tree once, and tells sway in one message: told one window
// at a time, sway lays out every window again after each, and a pass over
// hundreds of windows took as many times as long.
std::vector<bool> SwayWindowManager::ShowWindowsAsync(const std::vector<WindowHandle>& handles, std::int32_t showCmd) {
  std::unordered_map<WindowHandle, const SwayWindow*> byHandle;
  for (const SwayWindow& window : Windows()) byHandle.try_emplace(HandleOf(window), &window);
  // Copies: the pass writes what it asks into the tree as read.
  std::vector<std::optional<SwayWindow>> windows;
  for (const WindowHandle handle : handles) {
    const auto found = handle ? byHandle.find(handle) : byHandle.end();
    windows.push_back(found == byHandle.end() ? std::nullopt : std::optional<SwayWindow>(*found->second));
  }
  return showCmd == kShowCmdHide ? HidePass(windows) : ShowPass(windows, showCmd == kShowCmdShow);
}

bool SwayWindowManager::HiddenByThisProgram(WindowHandle window) {
  const SwayWindow* found = Find(window);
  return found && found->inScratchpad && RecordedPlace(found->id);
}

// The views of the window's split as they were before any of them was hidden:
// those hidden by earlier passes are no longer in sway's split, but in the
// places recorded for them (`recorded`). The windows of this pass are as the
// tree was read before it.
std::vector<std::int64_t> SwayWindowManager::SplitBeforeTheHides(const SwayWindow& window,
                                                                 const std::vector<HiddenPlace>& recorded) {
  std::vector<std::int64_t> split = window.split;
  if (split.empty()) return split;
  for (const HiddenPlace& other : recorded) {
    if (other.workspace != window.workspace || other.split.size() <= split.size()) continue;
    const auto in = [&other](std::int64_t id) { return std::ranges::find(other.split, id) != other.split.end(); };
    if (std::ranges::all_of(split, in)) split = other.split;
  }
  return split;
}

// What this door's record says an earlier run hid and left in the scratchpad,
// for a start that finds no record of the logic's (it could not be kept).
std::vector<WindowHandle> SwayWindowManager::LeftHiddenByThisProgram() {
  std::vector<WindowHandle> left;
  for (const SwayWindow& window : Windows()) {
    if (window.inScratchpad && RecordedPlace(window.id)) left.push_back(HandleOf(window));
  }
  return left;
}

// The places are recorded, in one write, before sway is told, so that a
// crash in between loses nothing. A full-screen window leaves full screen on
// its way to the scratchpad; the record keeps that it was. A window whose
// fate sway's answer does not tell is judged by the tree read afresh, and
// keeps its record while even that cannot tell.
std::vector<bool> SwayWindowManager::HidePass(const std::vector<std::optional<SwayWindow>>& windows) {
  std::vector<bool> hidden(windows.size(), false);
  std::vector<CommandShare> shares(windows.size());
  std::map<std::string, std::string> placed;
  std::vector<HiddenPlace> recordedPlaces;
  for (const auto& entry : record_.Entries()) {
    if (std::optional<HiddenPlace> place = PlaceOfText(entry.second); place && !place->split.empty()) {
      recordedPlaces.push_back(std::move(*place));
    }
  }
  for (std::size_t i = 0; i < windows.size(); ++i) {
    if (!windows[i]) continue;
    const SwayWindow& window = *windows[i];
    const std::string key = std::to_string(window.id);
    const bool recorded = RecordedPlace(window.id) || placed.contains(key);
    if (window.inScratchpad) {
      hidden[i] = recorded;
      continue;
    }
    // Brought back by someone else while hidden, it still goes back, in the
    // end, where the first hide found it.
    if (!recorded) {
      const HiddenPlace place{window.workspace, window.floating, window.fullscreen,
                              SplitBeforeTheHides(window, recordedPlaces)};
      placed.emplace(key, PlaceText(place));
    }
    std::vector<std::string> commands;
    if (window.fullscreen) commands.emplace_back("fullscreen disable");
    commands.emplace_back("move scratchpad");
    shares[i].Add(Criteria(window.id), commands);
    InTree(window.id, [](SwayWindow& gone) {
      gone.workspace = kScratchpad;
      gone.inScratchpad = gone.floating = true;
      gone.fullscreen = 0;
      gone.focused = false;
      gone.split.clear();
    });
    if (windows_) {
      for (SwayWindow& other : *windows_) std::erase(other.split, window.id);
    }
  }
  record_.Put(placed);
  const std::optional<std::vector<bool>> carriedOut = ipc_.RunShares(shares);
  if (!carriedOut) Forget();
  std::vector<std::string> notHidden;
  bool refused = false;
  for (std::size_t i = 0; i < windows.size(); ++i) {
    if (shares[i].commands == 0) continue;
    const std::int64_t id = windows[i]->id;
    std::optional<bool> done;
    if (carriedOut) {
      done = (*carriedOut)[i];
    } else if (const std::optional<SwayWindow> now = Now(id)) {
      done = now->inScratchpad;
    }
    hidden[i] = done.value_or(false);
    refused = refused || !hidden[i];
    if (done == false && placed.contains(std::to_string(id))) notHidden.push_back(std::to_string(id));
    log::Info("hide", "sway window ", id, hidden[i] ? " to the scratchpad" : " not hidden");
  }
  // What sway refused may have done anything: the tree is read again.
  if (refused) Forget();
  record_.Remove(notHidden);
  return hidden;
}

// Moved out of the scratchpad straight to its workspace, a window comes back
// floating, where it floated before, and without the focus; a tiled one is
// then tiled again beside the nearest view of its split that is back: after
// the one before it, or else before the one after it. Whatever order the
// windows of a split come back in, they end in the order they had: those
// earlier in the pass count as back.
std::vector<bool> SwayWindowManager::ShowPass(const std::vector<std::optional<SwayWindow>>& windows, bool activate) {
  std::vector<bool> shown(windows.size(), false);
  std::vector<CommandShare> shares(windows.size());
  std::vector<bool> moved(windows.size(), false);
  std::vector<std::string> back;
  // The tree as read, by con id: the pass writes into it what it asks.
  std::unordered_map<std::int64_t, const SwayWindow*> byId;
  for (const SwayWindow& window : Windows()) byId.try_emplace(window.id, &window);
  for (std::size_t i = 0; i < windows.size(); ++i) {
    if (!windows[i]) continue;
    const SwayWindow& window = *windows[i];
    const std::string key = std::to_string(window.id);
    const std::optional<HiddenPlace> recorded = RecordedPlace(window.id);
    if (!window.inScratchpad) {
      // Brought back by someone else and left out: the hide has had its day.
      shown[i] = true;
      if (recorded) {
        back.push_back(key);
        if (BearsMarkOf(window, *recorded)) {
          shares[i].Add(Criteria(window.id), {"unmark " + Quoted(MarkOf(window.id, *recorded))});
        }
      }
      if (activate) shares[i].Add(Criteria(window.id), {"focus"});
      continue;
    }
    // The user's own, left where they put it, whatever its marks say.
    if (!recorded) continue;
    const HiddenPlace& place = *recorded;
    std::vector<std::string> commands{"move container to workspace " + Quoted(place.workspace)};
    std::string beside;
    if (!place.floating) {
      commands.emplace_back("floating disable");
      const Neighbour neighbour = NeighbourToReturnBeside(window.id, place.split, [&](std::int64_t id) {
        const auto other = byId.find(id);
        return other != byId.end() && !other->second->inScratchpad && !other->second->floating &&
               other->second->workspace == place.workspace;
      });
      if (neighbour.id) {
        // A mark sway does not draw (its name starts with "_"): drawing it in
        // the title bar costs sway more than the move.
        beside = Quoted("_blindfold-beside:" + key);
        shares[i].Add(Criteria(neighbour.id), {"mark --add " + beside});
        commands.push_back("move container to mark " + beside);
        if (neighbour.after) commands.push_back("swap container with mark " + beside);
      }
    }
    if (place.fullscreen == 1) commands.emplace_back("fullscreen enable");
    if (place.fullscreen == 2) commands.emplace_back("fullscreen enable global");
    // Only the mark of this hide, which an earlier Blindfold set: one that
    // merely looks like it is not ours.
    if (BearsMarkOf(window, place)) commands.push_back("unmark " + Quoted(MarkOf(window.id, place)));
    if (activate) commands.emplace_back("focus");
    shares[i].Add(Criteria(window.id), commands);
    if (!beside.empty()) shares[i].Add({}, {"unmark " + beside});
    moved[i] = true;
    InTree(window.id, [&place](SwayWindow& returned) {
      returned.inScratchpad = false;
      returned.workspace = place.workspace;
      returned.floating = place.floating;
      returned.fullscreen = place.fullscreen;
    });
  }
  const std::optional<std::vector<bool>> carriedOut = ipc_.RunShares(shares);
  if (!carriedOut) Forget();
  bool refused = false;
  for (std::size_t i = 0; i < windows.size(); ++i) {
    if (!moved[i]) continue;
    const std::int64_t id = windows[i]->id;
    const HiddenPlace place = *RecordedPlace(id);
    if (carriedOut) {
      shown[i] = (*carriedOut)[i];
    } else if (const std::optional<SwayWindow> now = Now(id)) {
      shown[i] = !now->inScratchpad;
    }
    refused = refused || !shown[i];
    if (shown[i]) back.push_back(std::to_string(id));
    if (shown[i] && activate) Focused(id);
    log::Info("show", "sway window ", id, shown[i] ? " back on workspace " : " not shown on ", place.workspace);
  }
  if (refused) Forget();
  record_.Remove(back);
  return shown;
}

SwayHotkey::SwayHotkey(SwayIpc& ipc, SwayEvents& events, std::string name)
    : ipc_(ipc), events_(events), command_("nop blindfold " + name) {
  listener_ = events_.AddListener([this](IpcEvent event, std::string_view payload) {
    if (!bound_) return;
    if (event == IpcEvent::Binding && ReadBindingCommand(payload) == command_ && onPressed_) onPressed_();
    // Reading its configuration again, sway forgets the bindings made at run
    // time: the key is bound again.
    if (event == IpcEvent::Workspace && ReadEventChange(payload) == "reload") {
      const bool bound = Bind(*bound_);
      log::Info("hotkey", "sway read its configuration again: \"", command_, "\" bound again to ", *bound_,
                bound ? "" : " in vain");
    }
  });
}

SwayHotkey::~SwayHotkey() {
  events_.RemoveListener(listener_);
  Disarm();
}

// Held down, the key does its work once.
bool SwayHotkey::Bind(const std::string& binding) {
  return ipc_.Run("bindsym --no-warn --no-repeat " + binding + " " + command_) ||
         ipc_.Run("bindsym " + binding + " " + command_);
}

// A binding of the user's own on the same keys gives way while this one is
// made, as the one made last wins in sway.
HotkeyArmResult SwayHotkey::Arm(const HotkeyCombination& combination) {
  Disarm();
  const std::optional<std::string> binding = BindingOf(combination);
  if (!binding) return {false, "sway has no name for this key"};
  if (!Bind(*binding)) return {false, "the window manager refused the binding"};
  bound_ = binding;
  return {true, {}};
}

void SwayHotkey::Disarm() {
  if (!bound_) return;
  ipc_.Run("unbindsym " + *bound_);
  bound_.reset();
}

void SwayWindowWatch::Follow() {
  listener_ = events_.AddListener([this](IpcEvent event, std::string_view payload) {
    if (event != IpcEvent::Window) return;
    const std::optional<WindowEvent> window = ReadWindowEvent(payload);
    const std::int64_t handle = window ? (xHandles_ ? window->xWindow : window->id) : 0;
    if (handle <= 0) return;
    if (window->change == "new" || window->change == "focus" || window->change == "move" ||
        window->change == "floating" || window->change == "fullscreen_mode") {
      LookAt(HandleOfNumber(handle));
    }
  });
}

void SwayWindowWatch::Unfollow() { events_.RemoveListener(listener_); }

}  // namespace blindfold::sway
