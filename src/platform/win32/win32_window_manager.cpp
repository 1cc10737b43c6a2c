#include "platform/win32/win32_window_manager.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/win32/callback_edge.h"
#include "platform/win32/handle_conversion.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handle.h"

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
  classNames_.clear();
  titled_ = nullptr;
  ::EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&visit));
}

// The window's style answers all three questions in one call, where
// GetParent, IsWindowVisible and IsWindowEnabled would ask one each. GetParent
// gives the parent of a child and the owner of a pop-up; a top-level window is
// visible when its own visible bit is set, since the desktop it sits on always is.
WindowState Win32WindowManager::State(WindowHandle window) {
  const HWND hwnd = ToHwnd(window);
  const auto style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  if (style == 0 && !::IsWindow(hwnd)) return {};
  WindowState state;
  if (style & WS_CHILD) {
    state.parent = FromHwnd(::GetParent(hwnd));
    state.visible = ::IsWindowVisible(hwnd) != FALSE;
  } else {
    if (style & WS_POPUP) state.parent = FromHwnd(GetWindow(hwnd, GW_OWNER));
    state.visible = VisibleAsCommanded(hwnd, (style & WS_VISIBLE) != 0);
  }
  state.enabled = (style & WS_DISABLED) == 0;
  if (!state.parent && state.visible && state.enabled) state.role = Role(hwnd);
  return state;
}

// Windows' own names for them: the desktop's window is titled "Program
// Manager", whatever its class, and the taskbar is the untitled window of class
// "Shell_TrayWnd" (or one titled so). The title read here is kept for the
// questions about the title that follow.
WindowRole Win32WindowManager::Role(HWND hwnd) {
  const WindowHandle window = FromHwnd(hwnd);
  ReadTitle(hwnd);
  if (titled_ != hwnd) return WindowRole::Normal;  // too long to be either
  titledForRole_ = hwnd;
  if (title_ == L"Program Manager") return WindowRole::Desktop;
  constexpr std::wstring_view kTaskbar = L"Shell_TrayWnd";
  // Read one character past the name, so that a longer class is not cut to it.
  const bool taskbar = title_.empty() ? ClassName(window, static_cast<int>(kTaskbar.size()) + 2) == "Shell_TrayWnd"
                                      : title_ == kTaskbar;
  return taskbar ? WindowRole::Taskbar : WindowRole::Normal;
}

bool Win32WindowManager::IsWindowVisible(WindowHandle window) {
  return ::IsWindowVisible(ToHwnd(window)) != FALSE;
}

// A show or hide is only queued for the window's own thread. Until that thread
// has carried it out, the window still looks as it was: a press of the windows
// hotkey that came in between would leave a window just told to show out of
// the list of windows to hide, and that press would be lost for it. The list
// goes by what the window was told; asking whether a window is on the screen
// still gets the answer of the moment.
bool Win32WindowManager::VisibleAsCommanded(HWND hwnd, bool actual) {
  const auto found = commanded_.find(hwnd);
  if (found == commanded_.end()) return actual;
  if (found->second.visible == actual || std::chrono::steady_clock::now() > found->second.until) {
    commanded_.erase(found);
    return actual;
  }
  return found->second.visible;
}

// A title is asked for its length, then read through a buffer of that length:
// two round trips to the window server for every window listed. So the length
// is taken from the title itself, read whole, and the read that follows uses
// it. A title too long for the buffer is asked the usual way.
int Win32WindowManager::WindowTextLength(WindowHandle window) {
  const HWND hwnd = ToHwnd(window);
  if (hwnd != titledForRole_ || hwnd != titled_) ReadTitle(hwnd);
  titledForRole_ = nullptr;
  if (hwnd != titled_) return ::GetWindowTextLengthW(hwnd);
  return static_cast<int>(title_.size());
}

void Win32WindowManager::ReadTitle(HWND hwnd) {
  constexpr int kMostTitleChars = 512;
  std::wstring title(kMostTitleChars + 1, L'\0');
  const int copied = ::GetWindowTextW(hwnd, title.data(), static_cast<int>(title.size()));
  if (copied < 0 || copied >= kMostTitleChars) {
    titled_ = nullptr;
    return;
  }
  title.resize(static_cast<std::size_t>(copied));
  titled_ = hwnd;
  title_ = std::move(title);
}

std::string Win32WindowManager::WindowText(WindowHandle window, int bufferChars) {
  const HWND hwnd = ToHwnd(window);
  if (hwnd == titled_ && hwnd) {
    titled_ = nullptr;
    if (bufferChars <= 0) return {};
    // As a buffer of `bufferChars` characters would hold it, terminator included.
    const std::size_t fits = std::min(title_.size(), static_cast<std::size_t>(bufferChars - 1));
    return Narrow(title_.substr(0, std::min(fits, title_.find(L'\0'))));
  }
  return ReadThroughBuffer(bufferChars, [&](wchar_t* buffer, int size) {
    return ::GetWindowTextW(hwnd, buffer, size);
  });
}

std::string Win32WindowManager::ClassName(WindowHandle window, int bufferChars) {
  if (bufferChars <= 0) return {};
  const HWND hwnd = ToHwnd(window);
  auto known = classNames_.find(hwnd);
  if (known == classNames_.end()) {
    constexpr int kLongestClassName = 256;
    std::wstring name(kLongestClassName + 1, L'\0');
    const int copied = ::GetClassNameW(hwnd, name.data(), static_cast<int>(name.size()));
    if (copied <= 0) return {};
    name.resize(static_cast<std::size_t>(copied));
    known = classNames_.emplace(hwnd, std::move(name)).first;
  }
  // As a buffer of `bufferChars` characters would hold it, terminator included.
  const std::wstring& name = known->second;
  return Narrow(name.substr(0, std::min(name.size(), static_cast<std::size_t>(bufferChars - 1))));
}

std::uint32_t Win32WindowManager::ProcessId(WindowHandle window) {
  DWORD process = 0;
  GetWindowThreadProcessId(ToHwnd(window), &process);
  return process;
}

// Limited query rights are enough for the image's name, and are granted on
// most processes of the session that full rights are not.
std::string Win32WindowManager::ProgramPath(WindowHandle window) {
  const std::uint32_t process = ProcessId(window);
  if (process == 0) return {};
  const UniqueKernelHandle opened(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  if (!opened) return {};
  std::wstring path(32768, L'\0');
  DWORD length = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(opened.Get(), 0, path.data(), &length) || length == 0) return {};
  path.resize(length);
  return Narrow(path);
}

// Another thread's window gets the request in its queue, so a program that has
// stopped answering holds up nobody; it hides or shows the window when it reads
// its messages again.
bool Win32WindowManager::ShowWindowAsync(WindowHandle window, std::int32_t showCmd) {
  const HWND hwnd = ToHwnd(window);
  const bool visible = showCmd != kShowCmdHide;
  const int command = showCmd == kShowCmdHide ? SW_HIDE : showCmd == kShowCmdShowNoActivate ? SW_SHOWNA : SW_SHOW;
  if (!::ShowWindowAsync(hwnd, command)) return false;
  // A program that answers at all carries a show out well within this.
  constexpr auto kCarriedOutWithin = std::chrono::seconds(2);
  commanded_[hwnd] = {visible, std::chrono::steady_clock::now() + kCarriedOutWithin};
  return true;
}

namespace {

using GetWindowAttribute = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);

// Loaded when first needed and kept: most runs never ask, and systems without
// the desktop window manager (or with one that cannot answer, as under Wine)
// simply have no cloaked windows.
GetWindowAttribute DwmWindowAttributeReader() {
  static const GetWindowAttribute reader = [] {
    const HMODULE dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return dwm ? reinterpret_cast<GetWindowAttribute>(reinterpret_cast<void*>(GetProcAddress(dwm, "DwmGetWindowAttribute")))
               : nullptr;
  }();
  return reader;
}

}  // namespace

bool Win32WindowManager::CloakedByItsApp(WindowHandle window) {
  constexpr DWORD kCloakedAttribute = 14;  // DWMWA_CLOAKED
  constexpr DWORD kCloakedByApp = 1;       // DWM_CLOAKED_APP; the shell's own cloak is 2
  const GetWindowAttribute read = DwmWindowAttributeReader();
  if (!read) return false;
  DWORD cloaked = 0;
  if (FAILED(read(ToHwnd(window), kCloakedAttribute, &cloaked, sizeof cloaked))) return false;
  return (cloaked & kCloakedByApp) != 0;
}

// Sent, not posted: the reply comes once the program has read what was sent to
// it before. A short wait, and none at all for a program known to hang, so
// that asking holds Blindfold up no more than a moment.
bool Win32WindowManager::Answering(WindowHandle window) {
  constexpr UINT kWaitMs = 20;
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(ToHwnd(window), WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT, kWaitMs, &result) != 0;
}

WindowHandle Win32WindowManager::ForegroundWindow() { return FromHwnd(::GetForegroundWindow()); }

bool Win32WindowManager::IsMinimised(WindowHandle window) { return ::IsIconic(ToHwnd(window)) != FALSE; }

bool Win32WindowManager::Activate(WindowHandle window) { return ::SetForegroundWindow(ToHwnd(window)) != FALSE; }

namespace {

// One watch at a time, as the program keeps one set of windows hidden.
Win32WindowWatch* runningWatch = nullptr;

}  // namespace

void Win32WindowWatch::Start(int intervalMs, Look look) {
  Stop();
  look_ = std::move(look);
  runningWatch = this;
  timer_ = SetTimer(nullptr, 0, static_cast<UINT>(intervalMs), OnTimer);
  hook_ = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, nullptr, OnShown, 0, 0,
                          WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
}

void Win32WindowWatch::Stop() {
  if (timer_) KillTimer(nullptr, timer_);
  if (hook_) UnhookWinEvent(hook_);
  timer_ = 0;
  hook_ = nullptr;
  look_ = nullptr;
  if (runningWatch == this) runningWatch = nullptr;
}

// A copy is called, as a look may stop the watch and drop its own function.
void CALLBACK Win32WindowWatch::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (!runningWatch || !runningWatch->look_) return;
  const auto look = runningWatch->look_;
  AtTheEdge("the watch's look", [&] { look(std::nullopt); });
}

void CALLBACK Win32WindowWatch::OnShown(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
  if (object != OBJID_WINDOW || child != CHILDID_SELF || !window) return;
  if (GetAncestor(window, GA_ROOT) != window) return;  // a control, not a window of its own
  if (!runningWatch || !runningWatch->look_) return;
  const auto look = runningWatch->look_;
  AtTheEdge("the watch's look", [&] { look(FromHwnd(window)); });
}

}  // namespace blindfold::win32
