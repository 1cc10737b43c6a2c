#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <unordered_map>

#include "platform/window_manager.h"
#include "platform/window_watch.h"

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
  std::string ProgramPath(WindowHandle window) override;
  bool CloakedByItsApp(WindowHandle window) override;
  bool Answering(WindowHandle window) override;
  WindowHandle ForegroundWindow() override;
  bool IsMinimised(WindowHandle window) override;
  bool Activate(WindowHandle window) override;
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
  WindowRole Role(HWND hwnd);
  // Reads the title into the cache below; leaves no window cached when the
  // title is too long for it.
  void ReadTitle(HWND hwnd);
  // The title read whole when its length was asked, or when the window's role
  // was told just before, for the read that follows.
  HWND titled_ = nullptr;
  HWND titledForRole_ = nullptr;
  std::wstring title_;
};

// The shell reports each window that is shown as it happens (where it reports
// other processes' windows at all: Wine does not), and a timer looks at them
// all in between. Both arrive through the message loop.
class Win32WindowWatch final : public WindowWatch {
 public:
  ~Win32WindowWatch() override { Stop(); }
  void Start(int intervalMs, Look look) override;
  void Stop() override;

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  static void CALLBACK OnShown(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD);

  Look look_;
  UINT_PTR timer_ = 0;
  HWINEVENTHOOK hook_ = nullptr;
};

}  // namespace blindfold::win32
