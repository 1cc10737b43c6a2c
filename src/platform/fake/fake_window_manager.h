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
  WindowRole role = WindowRole::Normal;
  std::uint32_t processId = 4242;
  // The program its process runs; empty where it cannot be told.
  std::string programPath;
  bool visible = true;
  bool enabled = true;
  bool minimised = false;
  bool cloakedByItsApp = false;
  bool answering = true;
  // Its program runs with higher rights: it may not be hidden or shown.
  bool refusing = false;
  // On a virtual desktop the user does not look at.
  bool onAnotherDesktop = false;
};

// An in-memory stack of top-level windows, top first.
class FakeWindowManager final : public WindowManager {
 public:
  // Adds a window below the others and returns its handle.
  WindowHandle Add(FakeWindow window);
  void Remove(WindowHandle window);
  // The handles, top first.
  std::vector<WindowHandle> StackOrder() const;
  FakeWindow* Find(WindowHandle window);

  void EnumWindows(const std::function<bool(WindowHandle)>& visit) override;
  WindowState State(WindowHandle window) override;
  bool IsWindowVisible(WindowHandle window) override;
  int WindowTextLength(WindowHandle window) override;
  std::string WindowText(WindowHandle window, int bufferChars) override;
  std::string ClassName(WindowHandle window, int bufferChars) override;
  std::uint32_t ProcessId(WindowHandle window) override;
  std::string ProgramPath(WindowHandle window) override;
  bool CloakedByItsApp(WindowHandle window) override;
  bool Answering(WindowHandle window) override;
  bool IsMinimised(WindowHandle window) override;
  WindowHandle ForegroundWindow() override { return foreground; }
  bool Activate(WindowHandle window) override;
  bool OnCurrentDesktop(WindowHandle window) override;
  bool ShowWindowAsync(WindowHandle window, std::int32_t showCmd) override;
  std::vector<bool> ShowWindowsAsync(const std::vector<WindowHandle>& windows, std::int32_t showCmd) override;
  std::optional<std::string> Unreachable() override { return unreachable; }
  DesktopParts HideableParts() override { return hideableParts; }
  std::vector<WindowHandle> LeftHiddenByThisProgram() override { return sealedHidden; }

  DesktopParts hideableParts;
  // As the real window manager does: a window shown goes to the top, and one
  // shown with kShowCmdShow, or activated, takes the foreground.
  std::vector<FakeWindow> stack;
  WindowHandle foreground;
  std::vector<WindowHandle> activated;
  // Every handle told to hide or show, in order; the fake does it at once.
  std::vector<WindowHandle> toldToShowOrHide;
  // The windows of each pass told at once, in order.
  std::vector<std::vector<WindowHandle>> passes;
  // Set: the window manager stopped answering.
  std::optional<std::string> unreachable;
  // What the windows' own marks say a run that died left hidden.
  std::vector<WindowHandle> sealedHidden;

 private:
  std::int32_t nextHandle_ = 0x10010;
  void BringToTop(WindowHandle window);

  std::unordered_map<WindowHandle, std::size_t> index_;  // rebuilt when found stale
};

}  // namespace blindfold
