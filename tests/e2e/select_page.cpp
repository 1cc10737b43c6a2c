// Poses the running Blindfold for a screenshot, the way a user would get it
// there, and prints the rectangle to take ("left top width height"):
//
//   select_page N                 the panel on page N (0-4), shown first if it is hidden
//   select_page N --mark TITLE    the same, after marking the open window TITLE on page 0
//   select_page --tray-icon       before the start: the tray icon is to be shown
//   select_page --tray-menu       the tray icon's menu, opened with a right click
//   select_page --login           the password asked before showing: a password is
//                                 set and guards showing the panel, which is then hidden
//                                 and asked for with its hotkey
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "driver.h"

#include <commctrl.h>

namespace {

using namespace blindfold::e2e;
using namespace std::chrono_literals;

void PrintRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

// The panel once it is on the screen. A start to the tray makes no panel
// until it is first asked for with its hotkey.
HWND ShownPanel() {
  if (!WaitUntil([] { return FindWindowW(L"BlindfoldMain", nullptr) || FindWindowW(L"#32770", L"Blindfold"); })) {
    return nullptr;
  }
  HWND panel = nullptr;
  const auto shown = [&] { return (panel = FindWindowW(L"#32770", L"Blindfold")) != nullptr && Visible(panel); };
  if (!WaitUntil(shown, 2s)) {
    PressKeys({VK_LWIN, 'X'});
    if (!WaitUntil(shown)) return nullptr;
  }
  return panel;
}

// Marks one row of the open windows with a click, as a user does.
bool Mark(HWND panel, const std::wstring& title) {
  SelectPage(panel, 0);
  HWND list = nullptr;
  WaitUntil([&] { return (list = FindControl(panel, L"", L"ListBox")) != nullptr && Visible(list); });
  if (!list) return false;
  const LRESULT index = SendMessageW(list, LB_FINDSTRING, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(title.c_str()));
  if (index < 0) return false;
  RECT item{};
  SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  POINT middle{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ClientToScreen(list, &middle);
  ClickAt(middle);
  return WaitUntil([&] { return SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0; }, 3s);
}

int TrayMenu() {
  RightClickAt(TrayIconPoint());
  HWND menu = nullptr;
  if (!WaitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) != nullptr && Visible(menu); })) return 1;
  Sleep(300);
  PrintRect(menu);
  return 0;
}

int Login(HWND panel) {
  SelectPage(panel, 2);
  HWND password = PasswordBox(panel);
  if (!password || !TypeInto(password, "secret")) return 1;
  Click(FindControl(panel, L"Set password", L"Button"));
  if (!WaitUntil([&] { return IsWindowEnabled(panel) != FALSE &&
                                ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PW").value_or(L"") != L"";
                       })) {
    return 1;
  }
  if (!ToggleCheckBox(FindControl(panel, L"[ Password protect 'Show Blindfold' ]", L"Button"))) return 1;
  Click(FindControl(panel, L"Hide me!", L"Button"));
  if (!WaitUntil([&] { return !Visible(panel); })) return 1;
  PressKeys({VK_LWIN, 'X'});
  HWND login = nullptr;
  if (!WaitUntil([&] { return (login = FindWindowW(L"#32770", L"Login")) != nullptr && Visible(login); })) return 1;
  SetCursorPos(0, 0);
  Sleep(300);
  PrintRect(login);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string first = argc > 1 ? argv[1] : "0";
  if (first == "--tray-icon") {
    WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"DisplayIcon", L"1");
    return 0;
  }
  if (first == "--tray-menu") return TrayMenu();
  HWND panel = ShownPanel();
  if (!panel) return 1;
  if (first == "--login") return Login(panel);
  if (argc > 3 && std::strcmp(argv[2], "--mark") == 0) {
    std::wstring title(argv[3], argv[3] + std::strlen(argv[3]));
    if (!Mark(panel, title)) std::fprintf(stderr, "select_page: no open window titled %s\n", argv[3]);
  }
  SelectPage(panel, std::atoi(first.c_str()));
  SetCursorPos(0, 0);
  Sleep(300);
  PrintRect(panel);
  return 0;
}
