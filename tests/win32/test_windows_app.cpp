// Opens one top-level window of each kind the open-windows list must tell apart,
// signals the event named on its command line, and runs until it is ended.
#include <windows.h>

#include <string>

namespace {

// WM_APP to a window makes its thread stop answering for wParam milliseconds.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) {
    Sleep(static_cast<DWORD>(wParam));
    return 0;
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

HWND Open(const wchar_t* className, const wchar_t* title, int slot, HWND owner = nullptr,
          bool show = true) {
  const int x = 40 + (slot % 6) * 180;
  const int y = 40 + (slot / 6) * 140;
  // An owned window is a pop-up, as dialogs are.
  const DWORD style = owner ? WS_POPUPWINDOW | WS_CAPTION : WS_OVERLAPPEDWINDOW;
  HWND window = CreateWindowExW(0, className, title, style, x, y, 170, 120, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (show) ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  const std::wstring longClass = L"BfTestLongClass" + std::wstring(55, L'L');  // 70 characters
  for (const wchar_t* name : {L"BfTestPlain", L"BfTestNoTitle", L"BfTestProgman", L"Shell_TrayWnd"}) {
    Register(name);
  }
  Register(longClass.c_str());

  HWND plain = Open(L"BfTestPlain", L"BF Plain", 0);
  Open(L"BfTestPlain", L"BF Owned", 1, plain);
  Open(L"BfTestPlain", L"BF Invisible", 2, nullptr, false);
  EnableWindow(Open(L"BfTestPlain", L"BF Disabled", 3), FALSE);
  Open(L"BfTestNoTitle", L"", 4);
  Open(L"BfTestPlain", L"BF\tTabbed", 5);
  Open(longClass.c_str(), L"BF Long class", 6);
  Open(L"BfTestProgman", L"Program Manager", 7);
  Open(L"Shell_TrayWnd", L"", 8);
  Open(L"BfTestPlain", L"BF \u00dcberweisung \u2013 \u6771\u4eac", 9);
  Open(L"BfTestPlain", L"Blindfold", 10);
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
