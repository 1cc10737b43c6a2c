// Opens N top-level windows of class "BlindfoldBenchWindow" for the whole-program
// benchmark, signals the event named on its command line, and runs until ended.
// Also the minimal window program the benchmark compares Blindfold with:
// "bench_windows.exe 1 <event> minimal" opens one window titled "Minimal".
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const int count = argc > 1 ? _wtoi(argv[1]) : 1;
  const bool minimal = argc > 3 && std::wstring(argv[3]) == L"minimal";
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"BlindfoldBenchWindow";
  RegisterClassW(&windowClass);
  for (int i = 0; i < count; ++i) {
    const std::wstring title = minimal ? L"Minimal" : L"Bench " + std::to_wstring(i);
    HWND window = CreateWindowExW(0, L"BlindfoldBenchWindow", title.c_str(), WS_OVERLAPPEDWINDOW,
                                  20 + (i % 40) * 30, 20 + (i / 40) * 20, 200, 100, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
  }
  if (argc > 2) {
    if (HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2])) {
      SetEvent(ready);
      CloseHandle(ready);
    }
  }
  LocalFree(argv);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
