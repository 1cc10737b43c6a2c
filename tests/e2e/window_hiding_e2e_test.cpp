#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

#include "driver.h"

namespace blindfold::e2e {
namespace {

using namespace std::chrono_literals;

bool Visible(HWND window) { return IsWindowVisible(window) != FALSE; }

// Blindfold together with a program whose windows it is to hide.
class WindowHidingE2E : public testing::Test {
 protected:
  void SetUp() override {
    RestoreTaskbars();
    DeleteSettings();
    const char* program = std::getenv("BLINDFOLD_TEST_WINDOWS_APP");
    ASSERT_NE(program, nullptr);
    const std::wstring eventName = L"BlindfoldE2EWindowsReady" + std::to_wstring(GetCurrentProcessId());
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    std::wstring commandLine = L"\"" + std::wstring(program, program + std::strlen(program)) + L"\" " + eventName;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &app_));
    ASSERT_EQ(WaitForSingleObject(ready, 30000), WAIT_OBJECT_0);
    CloseHandle(ready);
  }
  void TearDown() override {
    TerminateProcess(app_.hProcess, 0);
    WaitForSingleObject(app_.hProcess, 10000);
    CloseHandle(app_.hThread);
    CloseHandle(app_.hProcess);
    RestoreTaskbars();
    DeleteSettings();
  }

  HWND AppWindow(const std::wstring& title) {
    const auto found = TopLevelWindows(app_.dwProcessId, title);
    return found.empty() ? nullptr : found.front();
  }
  // The test program's windows that the open-windows list shows.
  std::vector<HWND> ListedWindows() {
    return {AppWindow(L"BF Plain"), AppWindow(L"BF\tTabbed"), AppWindow(L"BF Long class"),
            AppWindow(L"BF \u00dcberweisung \u2013 \u6771\u4eac"), TopLevelWindows(app_.dwProcessId, L"", L"BfTestNoTitle").front()};
  }

  // Double-clicks the row of the open-windows list whose text is `row`.
  static bool DoubleClickRow(HWND panel, const std::wstring& row) {
    HWND list = FindControl(panel, L"", L"ListBox");  // the open-windows list comes first
    const LRESULT index = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(row.c_str()));
    if (index < 0) return false;
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    POINT point{item.left + 30, (item.top + item.bottom) / 2};
    ClientToScreen(list, &point);
    ClickAt(point);
    ClickAt(point);
    return true;
  }

  PROCESS_INFORMATION app_{};
};

TEST_F(WindowHidingE2E, PanicHidesEveryListedWindowAndOneShowBringsBackBothSets) {
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"Taskbar", L"1");
  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);
  // With two taskbars (the shell's and the test program's), the last one in the
  // stacking order is the one the program keeps.
  HWND taskbar = nullptr;
  EnumWindows(
      [](HWND window, LPARAM last) {
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        if (std::wstring(name) == L"Shell_TrayWnd" && IsWindowVisible(window) && GetWindowTextLengthW(window) == 0) {
          *reinterpret_cast<HWND*>(last) = window;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&taskbar));
  ASSERT_NE(taskbar, nullptr);
  const auto listed = ListedWindows();

  PressKeys({VK_LWIN, 'Z'});  // the toggle: nothing marked, so only the taskbar
  ASSERT_TRUE(WaitUntil([&] { return !Visible(taskbar); }));
  EXPECT_TRUE(Visible(listed[0]));

  PressKeys({VK_LWIN, 'V'});  // panic: every listed window
  EXPECT_TRUE(WaitUntil([&] {
    for (HWND window : listed) {
      if (Visible(window)) return false;
    }
    return true;
  }));
  EXPECT_TRUE(Visible(AppWindow(L"BF Owned")));  // never listed, never hidden
  EXPECT_FALSE(Visible(panel));

  PressKeys({VK_LWIN, 'Z'});  // one show brings back the toggle's and the panic's windows
  EXPECT_TRUE(WaitUntil([&] {
    for (HWND window : listed) {
      if (!Visible(window)) return false;
    }
    return Visible(taskbar);
  }));
}

TEST_F(WindowHidingE2E, AlwaysHideEntryAddedByDoubleClickHidesItsClassAfterARestart) {
  const std::wstring row = L"BF Plain\tBfTestPlain  (class)";
  {
    BlindfoldProcess blindfold;
    HWND panel = blindfold.Panel();
    ASSERT_TRUE(WaitUntil([&] { return panel && Visible(panel); }));
    SetForegroundWindow(panel);
    ASSERT_TRUE(DoubleClickRow(panel, row));
    HWND alwaysHide = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
      EnumChildWindows(
          panel,
          [](HWND child, LPARAM found) {
            wchar_t name[16] = {};
            GetClassNameW(child, name, 16);
            if (std::wstring(name) == L"ListBox") *reinterpret_cast<HWND*>(found) = child;  // the last one
            return TRUE;
          },
          reinterpret_cast<LPARAM>(&alwaysHide));
      return SendMessageW(alwaysHide, LB_GETCOUNT, 0, 0) == 1;
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(GetDoubleClickTime() + 100));  // a click of its own
    Click(FindControl(panel, L"Hide me!", L"Button"));
    ASSERT_TRUE(WaitUntil([&] { return !Visible(panel); }));
    EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, L"Software\\Blindfold", L"AlwaysHide"), row);
  }

  BlindfoldProcess restarted;
  HWND panel = restarted.ShownPanel();
  ASSERT_NE(panel, nullptr);
  PressKeys({VK_LWIN, 'Z'});
  ASSERT_TRUE(WaitUntil([&] { return !Visible(panel); })) << "the windows hotkey did not arrive";
  // Every window of that class goes, whatever its title; the others stay. A tab
  // in a title shifts its class part, so that window does not match by class.
  EXPECT_TRUE(WaitUntil([&] {
    return !Visible(AppWindow(L"BF Plain")) && !Visible(AppWindow(L"BF \u00dcberweisung \u2013 \u6771\u4eac"));
  }));
  EXPECT_TRUE(Visible(AppWindow(L"BF Long class")));
  EXPECT_TRUE(Visible(AppWindow(L"BF\tTabbed")));
  PressKeys({VK_LWIN, 'Z'});
  EXPECT_TRUE(WaitUntil([&] { return Visible(AppWindow(L"BF Plain")); }));
}

TEST_F(WindowHidingE2E, TrayIconGesturesToggleAndTheMenuShutsDown) {
  TerminateProcess(app_.hProcess, 0);  // its own Shell_TrayWnd would stand in front of the shell's
  WaitForSingleObject(app_.hProcess, 10000);
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"DisplayIcon", L"1");
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"TrayHideWindows", L"513");
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"TrayMenu", L"517");
  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_FALSE(Visible(FindControl(panel, L"Shutdown", L"Button")));  // the tray menu has it

  ClickAt(TrayIconPoint());  // left button pressed: the toggle, which hides the panel
  ASSERT_TRUE(WaitUntil([&] { return !Visible(panel); })) << "the tray icon did not answer a left click";

  RightClickAt(TrayIconPoint());  // right button released: the menu
  HWND menu = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    menu = FindWindowW(L"#32768", nullptr);
    return menu && Visible(menu);
  })) << "no tray menu";
  PressKeys({VK_UP});  // the last item, "Shutdown"
  PressKeys({VK_RETURN});
  EXPECT_TRUE(blindfold.WaitForExit(10s));
}

}  // namespace
}  // namespace blindfold::e2e
