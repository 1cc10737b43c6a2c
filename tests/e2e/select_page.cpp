// Brings the running Blindfold panel to the front, selects one of its pages with
// the keyboard as a user would, and prints the panel's rectangle on the screen
// ("left top width height") for a screenshot.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "driver.h"

#include <commctrl.h>

int main(int argc, char** argv) {
  using namespace blindfold::e2e;
  const int page = argc > 1 ? std::atoi(argv[1]) : 0;
  HWND panel = nullptr;
  WaitUntil([&] {
    panel = FindWindowW(L"#32770", L"Blindfold");
    return panel != nullptr && IsWindowVisible(panel);
  });
  if (!panel) return 1;
  SetForegroundWindow(panel);
  HWND tab = FindControl(panel, L"", L"SysTabControl32");
  RECT tabRect{};
  GetWindowRect(tab, &tabRect);
  ClickAt({tabRect.left + 20, tabRect.top + 10});
  WaitUntil([&] { return SendMessageW(tab, TCM_GETCURSEL, 0, 0) == 0; });
  for (int i = 1; i <= page; ++i) {
    PressKeys({VK_RIGHT});
    WaitUntil([&] { return SendMessageW(tab, TCM_GETCURSEL, 0, 0) == LRESULT{i}; });
  }
  SetCursorPos(0, 0);
  Sleep(300);
  RECT rect{};
  GetWindowRect(panel, &rect);
  std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  return 0;
}
