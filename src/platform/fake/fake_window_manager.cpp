#include "platform/fake/fake_window_manager.h"

#include <algorithm>

namespace blindfold {
namespace {

// The characters (code points) of a UTF-8 text that fit a buffer of
// `bufferChars` characters with its terminator, cut at the first NUL.
std::string FitBuffer(const std::string& text, int bufferChars) {
  std::string cut = text.substr(0, text.find('\0'));
  int chars = 0;
  for (std::size_t i = 0; i < cut.size(); ++i) {
    if ((static_cast<unsigned char>(cut[i]) & 0xC0) == 0x80) continue;
    if (++chars > bufferChars - 1) return cut.substr(0, i);
  }
  return bufferChars > 0 ? cut : std::string();
}

}  // namespace

WindowHandle FakeWindowManager::Add(FakeWindow window) {
  if (!window.handle) window.handle = WindowHandle(nextHandle_ += 2);
  stack.push_back(window);
  return window.handle;
}

void FakeWindowManager::Remove(WindowHandle window) {
  std::erase_if(stack, [&](const FakeWindow& w) { return w.handle == window; });
}

FakeWindow* FakeWindowManager::Find(WindowHandle window) {
  const auto cached = [&]() -> FakeWindow* {
    const auto it = index_.find(window);
    if (it == index_.end() || it->second >= stack.size() || stack[it->second].handle != window) {
      return nullptr;
    }
    return &stack[it->second];
  };
  if (FakeWindow* found = cached()) return found;
  index_.clear();
  for (std::size_t i = 0; i < stack.size(); ++i) index_.emplace(stack[i].handle, i);
  return cached();
}

void FakeWindowManager::EnumWindows(const std::function<bool(WindowHandle)>& visit) {
  std::vector<WindowHandle> handles;
  handles.reserve(stack.size());
  for (const FakeWindow& window : stack) handles.push_back(window.handle);
  for (const WindowHandle handle : handles) {
    if (!visit(handle)) return;
  }
}

WindowState FakeWindowManager::State(WindowHandle window) {
  const FakeWindow* found = Find(window);
  if (!found) return {};
  return {found->owner, found->visible, found->enabled, found->role};
}

bool FakeWindowManager::IsWindowVisible(WindowHandle window) {
  const FakeWindow* found = Find(window);
  return found && found->visible;
}

int FakeWindowManager::WindowTextLength(WindowHandle window) {
  const FakeWindow* found = Find(window);
  return found ? static_cast<int>(found->title.size()) : 0;
}

std::string FakeWindowManager::WindowText(WindowHandle window, int bufferChars) {
  const FakeWindow* found = Find(window);
  return found ? FitBuffer(found->title, bufferChars) : std::string();
}

std::string FakeWindowManager::ClassName(WindowHandle window, int bufferChars) {
  const FakeWindow* found = Find(window);
  return found ? FitBuffer(found->className, bufferChars) : std::string();
}

std::uint32_t FakeWindowManager::ProcessId(WindowHandle window) {
  const FakeWindow* found = Find(window);
  return found ? found->processId : 0;
}

std::string FakeWindowManager::ProgramPath(WindowHandle window) {
  const FakeWindow* found = Find(window);
  return found ? found->programPath : std::string();
}

bool FakeWindowManager::CloakedByItsApp(WindowHandle window) {
  const FakeWindow* found = Find(window);
  return found && found->cloakedByItsApp;
}

bool FakeWindowManager::Answering(WindowHandle window) {
  const FakeWindow* found = Find(window);
  return found && found->answering;
}

bool FakeWindowManager::IsMinimised(WindowHandle window) {
  const FakeWindow* found = Find(window);
  return found && found->minimised;
}

bool FakeWindowManager::Activate(WindowHandle window) {
  activated.push_back(window);
  if (!Find(window)) return false;
  BringToTop(window);
  foreground = window;
  return true;
}

bool FakeWindowManager::OnCurrentDesktop(WindowHandle window) {
  const FakeWindow* found = Find(window);
  return found && !found->onAnotherDesktop;
}

bool FakeWindowManager::ShowWindowAsync(WindowHandle window, std::int32_t showCmd) {
  toldToShowOrHide.push_back(window);
  FakeWindow* found = Find(window);
  if (!found || found->refusing) return false;
  const bool wasVisible = found->visible;
  found->visible = showCmd != kShowCmdHide;
  if (!found->visible && foreground == window) foreground = WindowHandle();
  if (found->visible && !wasVisible) BringToTop(window);
  if (showCmd == kShowCmdShow) foreground = window;
  return true;
}

std::vector<bool> FakeWindowManager::ShowWindowsAsync(const std::vector<WindowHandle>& windows,
                                                      std::int32_t showCmd) {
  passes.push_back(windows);
  return WindowManager::ShowWindowsAsync(windows, showCmd);
}

std::vector<WindowHandle> FakeWindowManager::StackOrder() const {
  std::vector<WindowHandle> handles;
  for (const FakeWindow& window : stack) handles.push_back(window.handle);
  return handles;
}

void FakeWindowManager::BringToTop(WindowHandle window) {
  const auto it = std::find_if(stack.begin(), stack.end(), [&](const FakeWindow& w) { return w.handle == window; });
  if (it == stack.end() || it == stack.begin()) return;
  std::rotate(stack.begin(), it, it + 1);
}

}  // namespace blindfold
