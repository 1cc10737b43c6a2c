// The panel answers the keys every tabbed dialog does, and leaves no user
// without a way back in.
#include <gtest/gtest.h>

#include <thread>

#include "clean_machine_test.h"
#include "driver.h"

#include <commctrl.h>

namespace blindfold::e2e {
namespace {

using namespace std::chrono_literals;

class PanelKeysE2E : public CleanMachineTest {};

int SelectedPage(HWND panel) {
  return static_cast<int>(SendMessageW(FindControl(panel, L"", WC_TABCONTROLW), TCM_GETCURSEL, 0, 0));
}

TEST_F(PanelKeysE2E, PagesEnterAndEscapeAsInEveryTabbedDialog) {
  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);
  SetForegroundWindow(panel);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == panel; }, 2s));

  PressKeys({VK_CONTROL, VK_TAB});
  EXPECT_TRUE(WaitUntil([&] { return SelectedPage(panel) == 1; }, 3s));
  PressKeys({VK_CONTROL, VK_NEXT});
  EXPECT_TRUE(WaitUntil([&] { return SelectedPage(panel) == 2; }, 3s));
  PressKeys({VK_CONTROL, VK_SHIFT, VK_TAB});
  EXPECT_TRUE(WaitUntil([&] { return SelectedPage(panel) == 1; }, 3s));
  PressKeys({VK_CONTROL, VK_PRIOR});
  PressKeys({VK_CONTROL, VK_PRIOR});  // round the end
  EXPECT_TRUE(WaitUntil([&] { return SelectedPage(panel) == 4; }, 3s));

  // Enter in the password box sets the password; the panel stays.
  SelectPage(panel, 2);
  HWND password = PasswordBox(panel);
  ASSERT_NE(password, nullptr);
  ASSERT_TRUE(TypeInto(password, "abc"));
  PressKeys({VK_RETURN});
  EXPECT_TRUE(WaitUntil([&] { return ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PW").value_or(L"") != L""; }));
  EXPECT_TRUE(Visible(panel));

  // Esc is the close box: hidden, nothing saved.
  HWND hideTaskbar = nullptr;
  SelectPage(panel, 0);
  hideTaskbar = FindControl(panel, L"[ Hide Taskbar ]", L"Button");
  ASSERT_TRUE(ToggleCheckBox(hideTaskbar));
  PressKeys({VK_ESCAPE});
  EXPECT_TRUE(WaitUntil([&] { return !Visible(panel); }));
  EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"Taskbar").value_or(L"0"), L"0");
}

// Its hotkey held by another program and no tray icon: a panel that started
// hidden could never be shown, so it shows, saying why.
TEST_F(PanelKeysE2E, WithNoWayInThePanelShowsOnTheHotkeysPage) {
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"StartHidden", L"1");
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_WIN | MOD_NOREPEAT, 'X'));
  BlindfoldProcess blindfold;
  HWND panel = blindfold.Panel();
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Visible(panel); }));
  EXPECT_EQ(SelectedPage(panel), 1);
  EXPECT_TRUE(WaitUntil([&] { return FindControl(panel, L"Could not be registered: ", L"Static", true) != nullptr; }));
  UnregisterHotKey(nullptr, 1);
}

// Started to the tray: a tray icon with no gesture chosen for its menu, where
// a right click opens it; with no password Lock is greyed, as it would lock
// nothing; Show UI brings the panel, on its first page, as the load left it.
TEST_F(PanelKeysE2E, StartedToTheTrayItsMenuShowsThePanelAndLockNeedsAPassword) {
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"DisplayIcon", L"1");
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"StartHidden", L"1");
  BlindfoldProcess blindfold;
  ASSERT_NE(blindfold.MainWindow(), nullptr);
  std::this_thread::sleep_for(500ms);
  RightClickAt(TrayIconPoint());
  HWND menu = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    menu = FindWindowW(L"#32768", nullptr);
    return menu && Visible(menu);
  })) << "no tray menu";
  const auto items = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
  ASSERT_NE(items, nullptr);
  EXPECT_TRUE(GetMenuState(items, 0, MF_BYPOSITION) & MF_GRAYED);
  PressKeys({VK_UP});  // the last item, "Shutdown"
  PressKeys({VK_UP});  // "Show UI"
  PressKeys({VK_RETURN});

  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(SelectedPage(panel), 0);
  HWND tab = FindControl(panel, L"", L"SysTabControl32");
  EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 5);
  HWND frame = FindControl(panel, L"Open windows list - (", L"Button", true);  // refreshed as it was shown
  ASSERT_NE(frame, nullptr);
  EXPECT_NE(TextOf(frame).find(L" windows found)"), std::wstring::npos) << TextOf(frame).c_str();
  HWND taskbarBox = FindControl(panel, L"[ Hide Taskbar ]", L"Button");
  EXPECT_TRUE(taskbarBox && Visible(taskbarBox));
  SelectPage(panel, 4);
  HWND shutdown = FindControl(panel, L"Shutdown", L"Button");
  EXPECT_TRUE(shutdown && !Visible(shutdown));  // the tray menu has it
}

}  // namespace
}  // namespace blindfold::e2e
