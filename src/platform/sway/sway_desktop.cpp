#include "platform/sway/sway_desktop.h"

#include <unistd.h>

#include <algorithm>

#include "core/log.h"
#include "platform/x11/window_rules.h"

namespace blindfold::sway {

namespace {

WindowHandle HandleOfNumber(std::int64_t id) { return WindowHandle(static_cast<std::int32_t>(id)); }
std::string Criteria(std::int64_t id) { return "[con_id=" + std::to_string(id) + "] "; }

}  // namespace

SwayWindowManager::~SwayWindowManager() {
  if (forget_) g_source_remove(forget_);
}

const std::vector<SwayWindow>& SwayWindowManager::Windows() {
  if (windows_) return *windows_;
  const std::optional<std::string> tree = ipc_.Request(IpcMessage::GetTree);
  std::optional<std::vector<SwayWindow>> windows = tree ? ReadTree(*tree) : std::nullopt;
  if (tree && !windows) log::Warning("sway", "the tree sway sent could not be read");
  windows_ = windows ? std::move(*windows) : std::vector<SwayWindow>();
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

void SwayWindowManager::Forget() { windows_.reset(); }

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
  Forget();
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

int SwayWindowManager::WindowTextLength(WindowHandle window) {
  const SwayWindow* found = Find(window);
  return found ? x11::CountCharacters(x11::TextThroughBuffer(found->title, 1 << 30)) : 0;
}

std::string SwayWindowManager::WindowText(WindowHandle window, int bufferChars) {
  const SwayWindow* found = Find(window);
  return found ? x11::TextThroughBuffer(found->title, bufferChars) : std::string();
}

std::string SwayWindowManager::ClassName(WindowHandle window, int bufferChars) {
  const SwayWindow* found = Find(window);
  return found ? x11::TextThroughBuffer(found->appId, bufferChars) : std::string();
}

std::uint32_t SwayWindowManager::ProcessId(WindowHandle window) {
  if (window == kThisProgram) return static_cast<std::uint32_t>(getpid());
  const SwayWindow* found = Find(window);
  if (!found) return 0;
  return processOf_ ? processOf_(found->xWindow) : found->pid;
}

WindowHandle SwayWindowManager::ForegroundWindow() {
  for (const SwayWindow& window : Windows()) {
    if (window.focused) return HandleOf(window);
  }
  return WindowHandle();
}

WindowHandle SwayWindowManager::FirstWindowOf(std::uint32_t pid) {
  for (const SwayWindow& window : Windows()) {
    if (window.pid == pid) return HandleOf(window);
  }
  return kThisProgram;
}

bool SwayWindowManager::Activate(WindowHandle window) {
  const SwayWindow* found = Find(window);
  if (!found || found->inScratchpad) return false;
  const std::string command = Criteria(found->id) + "focus";
  Forget();
  return ipc_.Run(command);
}

bool SwayWindowManager::ShowWindowAsync(WindowHandle window, std::int32_t showCmd) {
  const SwayWindow* found = Find(window);
  if (!found) return false;
  const SwayWindow copy = *found;
  return showCmd == kShowCmdHide ? Hide(copy) : Show(copy, showCmd == kShowCmdShow);
}

bool SwayWindowManager::HiddenByThisProgram(WindowHandle window) {
  const SwayWindow* found = Find(window);
  return found && found->inScratchpad && OurMark(found->id, found->marks);
}

// A full-screen window leaves full screen on its way to the scratchpad; the
// mark keeps that it was, with where it sat. A tiled window's place in its
// split is kept by a mark on the con beside it.
bool SwayWindowManager::Hide(const SwayWindow& window) {
  if (window.inScratchpad) return OurMark(window.id, window.marks).has_value();
  // Brought back by someone else while hidden: it still goes back, in the end,
  // where the first hide found it.
  if (OurMark(window.id, window.marks)) {
    Forget();
    return ipc_.Run(Criteria(window.id) + (window.fullscreen ? "fullscreen disable, " : "") + "move scratchpad");
  }
  const HiddenPlace place{window.workspace, window.floating, window.fullscreen};
  std::string commands;
  if (window.previousSibling) {
    commands = Criteria(window.previousSibling) + "mark --add " + Quoted(AfterMarkOf(window.id)) + "; ";
  } else if (window.nextSibling) {
    commands = Criteria(window.nextSibling) + "mark --add " + Quoted(BeforeMarkOf(window.id)) + "; ";
  }
  commands += Criteria(window.id) + "mark --add " + Quoted(MarkOf(window.id, place)) + ", " +
              (window.fullscreen ? "fullscreen disable, " : "") + "move scratchpad";
  Forget();
  const bool hidden = ipc_.Run(commands);
  log::Info("hide", "sway window ", window.id, hidden ? " to the scratchpad" : " not hidden");
  return hidden;
}

// Moved out of the scratchpad straight to its workspace, a window comes back
// floating, where it floated before, and without the focus; a tiled one is
// then tiled again, beside the con it was beside when that is still there.
bool SwayWindowManager::Show(const SwayWindow& window, bool activate) {
  if (!window.inScratchpad) {
    // Brought back by someone else and left out: the marks of the hide have
    // had their day, and the next hide makes its own.
    if (const std::optional<std::string> mark = OurMark(window.id, window.marks)) {
      Forget();
      ipc_.Run("unmark " + Quoted(*mark) + "; unmark " + Quoted(AfterMarkOf(window.id)) + "; unmark " +
               Quoted(BeforeMarkOf(window.id)));
    }
    if (activate) Activate(HandleOf(window));
    return true;
  }
  const std::optional<std::string> mark = OurMark(window.id, window.marks);
  if (!mark) return false;  // the user's own, left where they put it
  const HiddenPlace place = *PlaceOfMark(window.id, *mark);
  std::string commands = Criteria(window.id) + "move container to workspace " + Quoted(place.workspace);
  std::string afterwards;
  if (!place.floating) {
    commands += ", floating disable";
    const std::optional<std::string> marks = ipc_.Request(IpcMessage::GetMarks);
    const std::vector<std::string> all = marks ? ReadMarks(*marks) : std::vector<std::string>();
    const std::string after = AfterMarkOf(window.id);
    const std::string before = BeforeMarkOf(window.id);
    // A neighbour still hidden is no place to go back to; it takes its place
    // beside this window instead when it comes back.
    const SwayWindow* hiddenNeighbour = nullptr;
    const auto heldByHidden = [this, &hiddenNeighbour](const std::string& mark) {
      for (const SwayWindow& other : Windows()) {
        if (other.inScratchpad && std::ranges::find(other.marks, mark) != other.marks.end()) {
          hiddenNeighbour = &other;
          return true;
        }
      }
      return false;
    };
    const bool hasAfter = std::ranges::find(all, after) != all.end();
    const bool hasBefore = std::ranges::find(all, before) != all.end();
    if (hasAfter && !heldByHidden(after)) {
      commands += ", move container to mark " + Quoted(after);
    } else if (hasBefore && !heldByHidden(before)) {
      commands += ", move container to mark " + Quoted(before) + ", swap container with mark " + Quoted(before);
    } else if (hiddenNeighbour) {
      const bool wasAfterIt = hasAfter && std::ranges::find(hiddenNeighbour->marks, after) != hiddenNeighbour->marks.end();
      const std::string handedOn =
          wasAfterIt ? BeforeMarkOf(hiddenNeighbour->id) : AfterMarkOf(hiddenNeighbour->id);
      if (std::ranges::find(all, handedOn) == all.end()) {
        afterwards = "; " + Criteria(window.id) + "mark --add " + Quoted(handedOn);
      }
    }
  }
  if (place.fullscreen == 1) commands += ", fullscreen enable";
  if (place.fullscreen == 2) commands += ", fullscreen enable global";
  commands += ", unmark " + Quoted(*mark);
  if (activate) commands += ", focus";
  commands += "; unmark " + Quoted(AfterMarkOf(window.id)) + "; unmark " + Quoted(BeforeMarkOf(window.id)) + afterwards;
  Forget();
  const bool shown = ipc_.Run(commands);
  log::Info("show", "sway window ", window.id, shown ? " back on workspace " : " not shown on ", place.workspace);
  return shown;
}

SwayHotkey::SwayHotkey(SwayIpc& ipc, SwayEvents& events, std::string name)
    : ipc_(ipc), events_(events), command_("nop blindfold " + name) {
  listener_ = events_.AddListener([this](IpcEvent event, std::string_view payload) {
    if (event != IpcEvent::Binding || !bound_) return;
    if (ReadBindingCommand(payload) == command_ && onPressed_) onPressed_();
  });
}

SwayHotkey::~SwayHotkey() {
  events_.RemoveListener(listener_);
  Disarm();
}

// A binding of the user's own on the same keys gives way while this one is
// made, as the one made last wins in sway.
HotkeyArmResult SwayHotkey::Arm(const HotkeyCombination& combination) {
  Disarm();
  const std::optional<std::string> binding = BindingOf(combination);
  if (!binding) return {false, "sway has no name for this key"};
  // Held down, the key does its work once.
  if (!ipc_.Run("bindsym --no-warn --no-repeat " + *binding + " " + command_) &&
      !ipc_.Run("bindsym " + *binding + " " + command_)) {
    return {false, "the window manager refused the binding"};
  }
  bound_ = binding;
  return {true, {}};
}

void SwayHotkey::Disarm() {
  if (!bound_) return;
  ipc_.Run("unbindsym " + *bound_);
  bound_.reset();
}

void SwayWindowWatch::Start(int intervalMs, Look look) {
  Stop();
  look_ = std::move(look);
  listener_ = events_.AddListener([this](IpcEvent event, std::string_view payload) {
    if (event != IpcEvent::Window || !look_) return;
    const std::optional<WindowEvent> window = ReadWindowEvent(payload);
    const std::int64_t handle = window ? (xHandles_ ? window->xWindow : window->id) : 0;
    if (handle <= 0) return;
    if (window->change == "new" || window->change == "focus" || window->change == "move" ||
        window->change == "floating" || window->change == "fullscreen_mode") {
      look_(HandleOfNumber(handle));
    }
  });
  timer_ = g_timeout_add(
      static_cast<guint>(intervalMs),
      [](gpointer self) -> gboolean {
        static_cast<SwayWindowWatch*>(self)->look_(std::nullopt);
        return G_SOURCE_CONTINUE;
      },
      this);
}

void SwayWindowWatch::Stop() {
  if (!timer_) return;
  g_source_remove(timer_);
  timer_ = 0;
  events_.RemoveListener(listener_);
  look_ = nullptr;
}

}  // namespace blindfold::sway
