#pragma once

#include "platform/window_manager.h"

namespace blindfold::win32 {

class Win32WindowManager final : public WindowManager {
 public:
  void EnumWindows(const std::function<bool(WindowHandle)>& visit) override;
  WindowState State(WindowHandle window) override;
  bool IsWindowVisible(WindowHandle window) override;
  int WindowTextLength(WindowHandle window) override;
  std::string WindowText(WindowHandle window, int bufferChars) override;
  std::string ClassName(WindowHandle window, int bufferChars) override;
  std::uint32_t ProcessId(WindowHandle window) override;
  bool ShowWindowAsync(WindowHandle window, std::int32_t showCmd) override;
};

}  // namespace blindfold::win32
