#pragma once

#include "platform/window_manager.h"

namespace blindfold::win32 {

class Win32WindowManager final : public WindowManager {
 public:
  void EnumWindows(const std::function<bool(WindowHandle)>& visit) override;
  WindowHandle GetParent(WindowHandle window) override;
  bool IsWindowVisible(WindowHandle window) override;
  bool IsWindowEnabled(WindowHandle window) override;
  int WindowTextLength(WindowHandle window) override;
  std::string WindowText(WindowHandle window, int bufferChars) override;
  std::string ClassName(WindowHandle window, int bufferChars) override;
  bool GetWindowPlacement(WindowHandle window, WindowPlacement& placement) override;
  bool SetWindowPlacement(WindowHandle window, const WindowPlacement& placement) override;
  std::uint32_t ProcessId(WindowHandle window) override;
  bool IsHung(WindowHandle window) override;
  void ShowWindowAsync(WindowHandle window, std::int32_t showCmd) override;

 private:
  bool placementRefusedAcrossProcesses_ = false;
};

}  // namespace blindfold::win32
