// What each platform call that hiding makes costs on another process's windows:
// opens N windows in bench_windows.exe and prints the mean time per window of
// each call, so that the whole-program figures can be taken apart.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

using namespace blindfold::bench;
using Clock = std::chrono::steady_clock;

void Report(const char* what, const std::vector<HWND>& windows, const std::function<void(HWND)>& call,
            const std::function<void()>& after = {}) {
  const auto start = Clock::now();
  for (HWND window : windows) call(window);
  if (after) after();
  const double total = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  std::printf("| %s | %.1f | %.1f |\n", what, total, total * 1000.0 / static_cast<double>(windows.size()));
  std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int count = argc > 1 ? _wtoi(argv[1]) : 1000;
  Process program;
  if (!StartWindows(program, count)) return 1;
  const auto windows = BenchWindows(program.info.dwProcessId);
  std::printf("%zu windows\n| Call | total (ms) | per window (us) |\n|---|---|---|\n", windows.size());
  Report("EnumWindows (once)", {windows.front()}, [](HWND) {
    EnumWindows([](HWND, LPARAM) { return TRUE; }, 0);
  });
  Report("GetParent", windows, [](HWND w) { GetParent(w); });
  Report("IsWindowVisible", windows, [](HWND w) { IsWindowVisible(w); });
  Report("IsWindowEnabled", windows, [](HWND w) { IsWindowEnabled(w); });
  Report("GetClassNameW", windows, [](HWND w) {
    wchar_t name[257];
    GetClassNameW(w, name, 257);
  });
  Report("GetWindowTextLengthW", windows, [](HWND w) { GetWindowTextLengthW(w); });
  Report("GetWindowTextW", windows, [](HWND w) {
    wchar_t text[64];
    GetWindowTextW(w, text, 64);
  });
  Report("InternalGetWindowText", windows, [](HWND w) {
    wchar_t text[64];
    InternalGetWindowText(w, text, 64);
  });
  Report("GetWindowThreadProcessId", windows, [](HWND w) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
  });
  Report("GetWindowPlacement", windows, [](HWND w) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(w, &placement);
  });
  Report("IsHungAppWindow", windows, [](HWND w) { IsHungAppWindow(w); });
  Report("SendMessageTimeoutW WM_NULL", windows, [](HWND w) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 200, &result);
  });
  Report("IsWindow", windows, [](HWND w) { IsWindow(w); });
  Report("SetWindowPlacement SW_HIDE (Wine refuses it)", windows, [](HWND w) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(w, &placement);
    placement.flags = 0;
    placement.showCmd = SW_HIDE;
    SetWindowPlacement(w, &placement);
  });
  Report("ShowWindow SW_HIDE, top first", windows, [](HWND w) { ShowWindow(w, SW_HIDE); },
         [&] { while (!All(windows, false)) {} });
  Report("ShowWindow SW_SHOW", windows, [](HWND w) { ShowWindow(w, SW_SHOW); },
         [&] { while (!All(windows, true)) {} });
  std::vector<HWND> bottomUp(windows.rbegin(), windows.rend());
  Report("ShowWindow SW_HIDE, bottom first", bottomUp, [](HWND w) { ShowWindow(w, SW_HIDE); },
         [&] { while (!All(windows, false)) {} });
  Report("ShowWindow SW_SHOW, bottom first", bottomUp, [](HWND w) { ShowWindow(w, SW_SHOW); },
         [&] { while (!All(windows, true)) {} });
  Report("ShowWindowAsync SW_HIDE", bottomUp, [](HWND w) { ShowWindowAsync(w, SW_HIDE); },
         [&] { while (!All(windows, false)) {} });
  Report("ShowWindowAsync SW_SHOWNA, bottom first", bottomUp, [](HWND w) { ShowWindowAsync(w, SW_SHOWNA); },
         [&] { while (!All(windows, true)) {} });
  Report("ShowWindowAsync SW_HIDE", bottomUp, [](HWND w) { ShowWindowAsync(w, SW_HIDE); },
         [&] { while (!All(windows, false)) {} });
  Report("ShowWindowAsync SW_SHOW, bottom first", bottomUp, [](HWND w) { ShowWindowAsync(w, SW_SHOW); },
         [&] { while (!All(windows, true)) {} });
  return 0;
}
