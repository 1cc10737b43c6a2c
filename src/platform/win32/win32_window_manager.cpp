#include "platform/win32/win32_window_manager.h"

#include <windows.h>

#include <string>

#include "platform/win32/handle_conversion.h"
#include "platform/win32/text_conversion.h"

namespace blindfold::win32 {
namespace {

BOOL CALLBACK VisitWindow(HWND window, LPARAM visitor) {
  const auto& visit = *reinterpret_cast<const std::function<bool(WindowHandle)>*>(visitor);
  return visit(FromHwnd(window)) ? TRUE : FALSE;
}

// Reads a text through a fixed-size buffer, cut at the first NUL, as the
// platform's text calls fill it.
template <class Read>
std::string ReadThroughBuffer(int bufferChars, Read read) {
  if (bufferChars <= 0) return {};
  std::wstring buffer(static_cast<std::size_t>(bufferChars), L'\0');
  const int copied = read(buffer.data(), bufferChars);
  if (copied <= 0) return {};
  buffer.resize(static_cast<std::size_t>(copied));
  return Narrow(buffer.substr(0, buffer.find(L'\0')));
}

}  // namespace

void Win32WindowManager::EnumWindows(const std::function<bool(WindowHandle)>& visit) {
  ::EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&visit));
}

WindowHandle Win32WindowManager::GetParent(WindowHandle window) {
  return FromHwnd(::GetParent(ToHwnd(window)));
}

bool Win32WindowManager::IsWindowVisible(WindowHandle window) {
  return ::IsWindowVisible(ToHwnd(window)) != FALSE;
}

bool Win32WindowManager::IsWindowEnabled(WindowHandle window) {
  return ::IsWindowEnabled(ToHwnd(window)) != FALSE;
}

int Win32WindowManager::WindowTextLength(WindowHandle window) {
  return ::GetWindowTextLengthW(ToHwnd(window));
}

std::string Win32WindowManager::WindowText(WindowHandle window, int bufferChars) {
  return ReadThroughBuffer(bufferChars, [&](wchar_t* buffer, int size) {
    return ::GetWindowTextW(ToHwnd(window), buffer, size);
  });
}

std::string Win32WindowManager::ClassName(WindowHandle window, int bufferChars) {
  return ReadThroughBuffer(bufferChars, [&](wchar_t* buffer, int size) {
    return ::GetClassNameW(ToHwnd(window), buffer, size);
  });
}

bool Win32WindowManager::GetWindowPlacement(WindowHandle window, WindowPlacement& placement) {
  WINDOWPLACEMENT native{};
  native.length = sizeof native;
  if (!::GetWindowPlacement(ToHwnd(window), &native)) return false;
  placement.length = static_cast<std::int32_t>(native.length);
  placement.flags = static_cast<std::int32_t>(native.flags);
  placement.showCmd = static_cast<std::int32_t>(native.showCmd);
  placement.minPosition = {native.ptMinPosition.x, native.ptMinPosition.y};
  placement.maxPosition = {native.ptMaxPosition.x, native.ptMaxPosition.y};
  placement.normalPosition = {native.rcNormalPosition.left, native.rcNormalPosition.top,
                              native.rcNormalPosition.right, native.rcNormalPosition.bottom};
  return true;
}

bool Win32WindowManager::SetWindowPlacement(WindowHandle window, const WindowPlacement& placement) {
  WINDOWPLACEMENT native{};
  native.length = sizeof native;
  native.flags = static_cast<UINT>(placement.flags);
  native.showCmd = static_cast<UINT>(placement.showCmd);
  native.ptMinPosition = {placement.minPosition.x, placement.minPosition.y};
  native.ptMaxPosition = {placement.maxPosition.x, placement.maxPosition.y};
  native.rcNormalPosition = {placement.normalPosition.left, placement.normalPosition.top,
                             placement.normalPosition.right, placement.normalPosition.bottom};
  const HWND hwnd = ToHwnd(window);
  // Wine refuses SetWindowPlacement on another process's window. Showing or
  // hiding it directly leaves its positions as they are, which is all the
  // placement was asked to keep. Once refused, other processes' windows go
  // straight to ShowWindow: the refused call costs a round of messages each.
  const bool ours = ProcessId(window) == GetCurrentProcessId();
  if ((ours || !placementRefusedAcrossProcesses_) && ::SetWindowPlacement(hwnd, &native)) return true;
  if (!ours && ::IsWindow(hwnd)) placementRefusedAcrossProcesses_ = true;
  ::ShowWindow(hwnd, static_cast<int>(placement.showCmd));
  return ::IsWindow(hwnd) != FALSE;
}

std::uint32_t Win32WindowManager::ProcessId(WindowHandle window) {
  DWORD process = 0;
  GetWindowThreadProcessId(ToHwnd(window), &process);
  return process;
}

// A quick probe: a thread that cannot answer an empty message within a fifth
// of a second counts as hung.
bool Win32WindowManager::IsHung(WindowHandle window) {
  const HWND hwnd = ToHwnd(window);
  if (IsHungAppWindow(hwnd)) return true;
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 200, &result) == 0 &&
         IsWindow(hwnd);
}

void Win32WindowManager::ShowWindowAsync(WindowHandle window, std::int32_t showCmd) {
  ::ShowWindowAsync(ToHwnd(window), showCmd == kShowCmdHide ? SW_HIDE : SW_SHOW);
}

}  // namespace blindfold::win32
