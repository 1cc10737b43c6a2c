// Opens one top-level window of each kind the open-windows list must tell apart,
// signals the event named on its command line, and runs until it is ended.
#include <windows.h>

#include <string>

namespace {

HWND Open(const wchar_t* className, const wchar_t* title, int slot, HWND owner = nullptr,
          int show = SW_SHOWNOACTIVATE, DWORD ownedStyle = WS_POPUPWINDOW | WS_CAPTION);

// What a test can ask of a window, as a program on its own would do it:
constexpr UINT kStopAnswering = WM_APP;       // for wParam milliseconds
constexpr UINT kShowAgain = WM_APP + 1;       // the window shows itself
constexpr UINT kOpenWindow = WM_APP + 2;      // a new window of the program
constexpr UINT kOpenOwnedWindow = WM_APP + 3; // a new window owned by this one
constexpr UINT kOpenStubbornWindow = WM_APP + 4; // "BF Stubborn", which shows itself again whenever hidden

// A maximised window stays small, out of the way of the tests' clicks.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kStopAnswering:
      Sleep(static_cast<DWORD>(wParam));
      return 0;
    case kShowAgain:
      ShowWindow(window, SW_SHOWNOACTIVATE);
      return 0;
    case kOpenWindow:
      Open(L"BfTestPlain", L"BF Opened later", 15);
      return 0;
    case kOpenOwnedWindow:
      Open(L"BfTestPlain", L"BF Owned later", 16, window);
      return 0;
    case kOpenStubbornWindow:
      Open(L"BfTestStubborn", L"BF Stubborn", 17);
      return 0;
    case WM_SHOWWINDOW: {
      // As some programs do, once the hide has been carried out.
      wchar_t className[32] = {};
      GetClassNameW(window, className, 32);
      if (!wParam && std::wstring(className) == L"BfTestStubborn") PostMessageW(window, kShowAgain, 0, 0);
      break;
    }
    default:
      break;
  }
  if (message == WM_GETMINMAXINFO) {
    auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
    limits.ptMaxSize = {200, 150};
    limits.ptMaxPosition = {1100, 500};
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Register(const wchar_t* className) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&windowClass);
}

HWND Open(const wchar_t* className, const wchar_t* title, int slot, HWND owner, int show, DWORD ownedStyle) {
  const int x = 40 + (slot % 6) * 180;
  const int y = 40 + (slot / 6) * 140;
  // An owned window is a pop-up, as dialogs are, unless asked otherwise.
  const DWORD style = owner ? ownedStyle : WS_OVERLAPPEDWINDOW;
  HWND window = CreateWindowExW(0, className, title, style, x, y, 170, 120, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (show != SW_HIDE) ShowWindow(window, show);
  return window;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  const std::wstring longClass = L"BfTestLongClass" + std::wstring(55, L'L');  // 70 characters
  for (const wchar_t* name :
       {L"BfTestPlain", L"BfTestNoTitle", L"BfTestProgman", L"Shell_TrayWnd", L"BfTestStubborn"}) {
    Register(name);
  }
  Register(longClass.c_str());

  HWND plain = Open(L"BfTestPlain", L"BF Plain", 0);
  Open(L"BfTestPlain", L"BF Owned", 1, plain);
  Open(L"BfTestPlain", L"BF Invisible", 2, nullptr, SW_HIDE);
  EnableWindow(Open(L"BfTestPlain", L"BF Disabled", 3), FALSE);
  Open(L"BfTestNoTitle", L"", 4);
  Open(L"BfTestPlain", L"BF\tTabbed", 5);
  Open(longClass.c_str(), L"BF Long class", 6);
  Open(L"BfTestProgman", L"Program Manager", 7);
  Open(L"Shell_TrayWnd", L"", 8);
  Open(L"BfTestPlain", L"BF \u00dcberweisung \u2013 \u6771\u4eac", 9);
  Open(L"BfTestPlain", L"Blindfold", 10);
  Open(L"BfTestPlain", L"BF Owned overlapped", 12, plain, SW_SHOWNOACTIVATE, WS_OVERLAPPEDWINDOW);
  Open(L"BfTestPlain", L"BF Maximized", 13, nullptr, SW_MAXIMIZE);
  Open(L"BfTestPlain", L"BF Minimized", 14, nullptr, SW_SHOWMINNOACTIVE);
  // A window on a thread of its own, which can be made to hang.
  CloseHandle(CreateThread(
      nullptr, 0,
      [](void*) -> DWORD {
        Open(L"BfTestNoTitle", L"BF Hangs", 11);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        return 0;
      },
      nullptr, 0, nullptr));
  for (int i = 0; i < 100 && !FindWindowW(L"BfTestNoTitle", L"BF Hangs"); ++i) Sleep(20);

  if (HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, commandLine)) {
    SetEvent(ready);
    CloseHandle(ready);
  }
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
