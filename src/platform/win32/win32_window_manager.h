#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <unordered_map>

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

 private:
  // What a window was last told to become, until it has become it or the time
  // for that has passed.
  struct Commanded {
    bool visible = false;
    std::chrono::steady_clock::time_point until;
  };
  // The visibility to go by: the commanded one while the window has yet to
  // carry out the command.
  bool VisibleAsCommanded(HWND hwnd, bool actual);

  std::unordered_map<HWND, Commanded> commanded_;
  // The class names read since the last pass over the windows began, whole. A
  // window's class never changes, so the record of hidden windows reuses what
  // the listing read instead of asking the other program's window again. They
  // are forgotten at the next pass, long before a handle could be reused.
  std::unordered_map<HWND, std::wstring> classNames_;
};

}  // namespace blindfold::win32
