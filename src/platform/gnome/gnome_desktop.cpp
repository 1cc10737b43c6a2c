#include "platform/gnome/gnome_desktop.h"

#include <vector>

#include "core/log.h"

namespace blindfold::gnome {

void GnomeWindowManager::EnumWindows(const std::function<bool(WindowHandle)>& visit) {
  bridge_.Refresh();
  std::vector<WindowHandle> handles;
  for (const GnomeWindow& window : bridge_.Windows()) handles.push_back(window.handle);
  for (const WindowHandle handle : handles) {
    if (!visit(handle)) return;
  }
}

WindowState GnomeWindowManager::State(WindowHandle handle) {
  const GnomeWindow* window = bridge_.Find(handle);
  if (!window) return {};
  WindowRole role = WindowRole::Normal;
  if (window->dock) role = WindowRole::Taskbar;
  if (window->desktop) role = WindowRole::Desktop;
  return WindowState{window->transientFor, !window->hidden, true, role};
}

bool GnomeWindowManager::IsWindowVisible(WindowHandle handle) {
  const GnomeWindow* window = bridge_.Find(handle);
  return window && !window->hidden;
}

bool GnomeWindowManager::IsMinimised(WindowHandle handle) {
  const GnomeWindow* window = bridge_.Find(handle);
  return window && window->minimized && !window->hidden;
}

WindowHandle GnomeWindowManager::ForegroundWindow() {
  for (const GnomeWindow& window : bridge_.Windows()) {
    if (window.active && !window.hidden) return window.handle;
  }
  return WindowHandle();
}

bool GnomeWindowManager::Activate(WindowHandle handle) {
  const GnomeWindow* window = bridge_.Find(handle);
  return window && !window->hidden && bridge_.Activate(*window);
}

bool GnomeWindowManager::ShowWindowAsync(WindowHandle handle, std::int32_t showCmd) {
  return ShowWindowsAsync({handle}, showCmd).front();
}

// A pass's windows go to the Shell in one call. A window Blindfold never hid
// is never shown by it: its record, or the extension, says which.
std::vector<bool> GnomeWindowManager::ShowWindowsAsync(const std::vector<WindowHandle>& handles,
                                                       std::int32_t showCmd) {
  std::vector<GnomeWindow*> windows;
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < handles.size(); ++i) {
    if (GnomeWindow* window = bridge_.Find(handles[i])) {
      windows.push_back(window);
      at.push_back(i);
    }
  }
  std::vector<bool> told(handles.size(), false);
  if (windows.empty()) return told;
  const bool hide = showCmd == kShowCmdHide;
  // Shown as Windows shows them, the last window of the pass (the top of the
  // stack as it was) takes the keyboard.
  const GnomeWindow* activate = showCmd == kShowCmdShow ? windows.back() : nullptr;
  const std::vector<bool> done = hide ? bridge_.Hide(windows) : bridge_.Show(windows, activate);
  std::size_t count = 0;
  for (std::size_t j = 0; j < windows.size(); ++j) {
    // A show asked of a window nobody hid is no failure: it is left as it is.
    told[at[j]] = done[j] || (!hide && bridge_.Reachable());
    if (done[j]) ++count;
  }
  log::Info(hide ? "hide" : "show", "GNOME windows in one call: ", count, " of ", windows.size());
  return told;
}

bool GnomeWindowManager::HiddenByThisProgram(WindowHandle handle) {
  const GnomeWindow* window = bridge_.Find(handle);
  return window && bridge_.HiddenByThisProgram(*window);
}

std::optional<std::string> GnomeWindowManager::Unreachable() {
  if (bridge_.Reachable()) return std::nullopt;
  return std::string("GNOME Shell's extension for Blindfold does not answer");
}

// For a start that finds no record of the logic's: what the extension, or
// this door's record, says an earlier run hid.
std::vector<WindowHandle> GnomeWindowManager::LeftHiddenByThisProgram() {
  bridge_.Refresh();
  std::vector<WindowHandle> left;
  for (const GnomeWindow& window : bridge_.Windows()) {
    if (bridge_.HiddenByThisProgram(window)) left.push_back(window.handle);
  }
  return left;
}

void GnomeWindowManager::VisitListed(const std::function<bool(const linux_desktop::ListedWindow&)>& visit) {
  for (const GnomeWindow& window : bridge_.Windows()) {
    if (!visit({window.handle, window.title, window.wmClass, window.pid})) return;
  }
}

GnomeHotkey::GnomeHotkey(GnomeBridge& bridge, std::string name) : bridge_(bridge), name_(std::move(name)) {
  bridge_.SetOnPressed(name_, [this] {
    if (armed_ && onPressed_) onPressed_();
  });
}

HotkeyArmResult GnomeHotkey::Arm(const HotkeyCombination& combination) {
  const std::optional<std::string> accelerator = AcceleratorOf(combination);
  if (!accelerator) return {false, "GNOME has no name for this key"};
  if (!bridge_.SetKey(name_, *accelerator)) return {false, "another of GNOME's shortcuts holds these keys"};
  armed_ = true;
  return {true, {}};
}

void GnomeHotkey::Disarm() {
  if (!armed_) return;
  armed_ = false;
  bridge_.SetKey(name_, "");
}

}  // namespace blindfold::gnome
