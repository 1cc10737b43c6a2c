#include "platform/kwin/kwin_desktop.h"

#include "core/log.h"

namespace blindfold::kwin {

void KWinWindowManager::EnumWindows(const std::function<bool(WindowHandle)>& visit) {
  std::vector<WindowHandle> handles;
  for (const KWinWindow& window : bridge_.Windows()) handles.push_back(window.handle);
  for (const WindowHandle handle : handles) {
    if (!visit(handle)) return;
  }
}

WindowState KWinWindowManager::State(WindowHandle handle) {
  const KWinWindow* window = bridge_.Find(handle);
  if (!window) return {};
  WindowRole role = WindowRole::Normal;
  if (window->dock) role = WindowRole::Taskbar;
  if (window->desktop) role = WindowRole::Desktop;
  return WindowState{window->transientFor, !OutOfSight(*window), true, role};
}

bool KWinWindowManager::IsWindowVisible(WindowHandle handle) {
  const KWinWindow* window = bridge_.Find(handle);
  return window && !OutOfSight(*window);
}

bool KWinWindowManager::IsMinimised(WindowHandle handle) {
  const KWinWindow* window = bridge_.Find(handle);
  return window && window->minimized && !window->hiddenByBlindfold;
}

WindowHandle KWinWindowManager::ForegroundWindow() {
  for (const KWinWindow& window : bridge_.Windows()) {
    if (window.active && !OutOfSight(window)) return window.handle;
  }
  return WindowHandle();
}

void KWinWindowManager::VisitListed(const std::function<bool(const linux_desktop::ListedWindow&)>& visit) {
  for (const KWinWindow& window : bridge_.Windows()) {
    if (!visit({window.handle, window.caption, window.resourceClass, window.pid})) return;
  }
}

bool KWinWindowManager::Activate(WindowHandle handle) {
  const KWinWindow* window = bridge_.Find(handle);
  if (!window || OutOfSight(*window)) return false;
  bridge_.Send({Request::Op::Activate, window->id, true, std::nullopt});
  return true;
}

bool KWinWindowManager::ShowWindowAsync(WindowHandle handle, std::int32_t showCmd) {
  return ShowWindowsAsync({handle}, showCmd).front();
}

// The list answers at once as if the script had done it: it does, in a moment.
// A window brought back by the user while hidden is hidden again by the same
// request; the script keeps what it had before the first. The windows of a
// pass go to the script as one batch.
std::vector<bool> KWinWindowManager::ShowWindowsAsync(const std::vector<WindowHandle>& handles,
                                                      std::int32_t showCmd) {
  const bool hide = showCmd == kShowCmdHide;
  std::vector<bool> told(handles.size(), false);
  std::vector<Request> requests;
  std::vector<std::size_t> requested;
  for (std::size_t i = 0; i < handles.size(); ++i) {
    const KWinWindow* window = bridge_.Find(handles[i]);
    if (!window) continue;
    requests.push_back({hide ? Request::Op::Hide : Request::Op::Show, window->id, showCmd == kShowCmdShow, std::nullopt});
    requested.push_back(i);
    // Whether a show goes is for Blindfold's record to say, whatever the list
    // says, which may be older than the hide: a window Blindfold never hid is
    // left as it is, and counts as told.
    told[i] = true;
  }
  const std::vector<bool> sent = bridge_.Send(requests);
  for (std::size_t k = 0; k < requested.size(); ++k) {
    if (!sent[k]) continue;
    if (KWinWindow* window = bridge_.Find(handles[requested[k]])) Assume(*window, hide);
    log::Info(hide ? "hide" : "show", "KWin window ", requests[k].id);
  }
  return told;
}

bool KWinWindowManager::HiddenByThisProgram(WindowHandle handle) {
  const KWinWindow* window = bridge_.Find(handle);
  return window && window->hiddenByBlindfold;
}

KWinHotkey::KWinHotkey(KWinBridge& bridge, std::string scriptName, std::string shortcutName)
    : bridge_(bridge), shortcutName_(std::move(shortcutName)) {
  bridge_.SetOnPressed(scriptName, [this] {
    if (armed_ && onPressed_) onPressed_();
  });
}

HotkeyArmResult KWinHotkey::Arm(const HotkeyCombination& combination) {
  const std::optional<int> key = QtKeyOf(combination);
  if (!key) return {false, "KDE has no name for this key"};
  if (!bridge_.SetShortcutKeys(shortcutName_, key)) return {false, "another of KDE's shortcuts holds these keys"};
  armed_ = true;
  return {true, {}};
}

void KWinHotkey::Disarm() {
  if (!armed_) return;
  armed_ = false;
  bridge_.SetShortcutKeys(shortcutName_, std::nullopt);
}

void KWinWindowWatch::Follow() {
  bridge_.SetOnReport([this](const std::vector<std::string>& newIds) {
    for (const std::string& id : newIds) LookAt(HandleOfId(id));
  });
}

void KWinWindowWatch::Unfollow() { bridge_.SetOnReport(nullptr); }

}  // namespace blindfold::kwin
