#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/window_manager.h"

namespace blindfold {

struct FakeWindow {
  WindowHandle handle;
  std::string title;
  std::string className;
  WindowHandle owner;
  std::uint32_t processId = 4242;
  bool visible = true;
  bool enabled = true;
};

// An in-memory stack of top-level windows, top first.
class FakeWindowManager final : public WindowManager {
 public:
  // Adds a window below the others and returns its handle.
  WindowHandle Add(FakeWindow window);
  void Remove(WindowHandle window);
  FakeWindow* Find(WindowHandle window);

  void EnumWindows(const std::function<bool(WindowHandle)>& visit) override;
  WindowState State(WindowHandle window) override;
  bool IsWindowVisible(WindowHandle window) override;
  int WindowTextLength(WindowHandle window) override;
  std::string WindowText(WindowHandle window, int bufferChars) override;
  std::string ClassName(WindowHandle window, int bufferChars) override;
  std::uint32_t ProcessId(WindowHandle window) override;
  bool ShowWindowAsync(WindowHandle window, std::int32_t showCmd) override;

  std::vector<FakeWindow> stack;
  // Every handle told to hide or show, in order; the fake does it at once.
  std::vector<WindowHandle> toldToShowOrHide;

 private:
  std::int32_t nextHandle_ = 0x10010;
  std::unordered_map<WindowHandle, std::size_t> index_;  // rebuilt when found stale
};

}  // namespace blindfold
