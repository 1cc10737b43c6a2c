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
  SelectPage(panel, page);
  SetCursorPos(0, 0);
  Sleep(300);
  RECT rect{};
  GetWindowRect(panel, &rect);
  std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  return 0;
}
