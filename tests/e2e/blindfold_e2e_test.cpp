#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "clean_machine_test.h"
#include "driver.h"

#include <commctrl.h>

namespace blindfold::e2e {
namespace {

using namespace std::chrono_literals;

HWND Taskbar() { return FindWindowW(L"Shell_TrayWnd", nullptr); }

class BlindfoldE2E : public CleanMachineTest {
 protected:
  // Brings the panel to the front and gives it the keyboard, as a click on it would.
  static void Activate(HWND panel) {
    SetForegroundWindow(panel);
    WaitUntil([&] { return GetForegroundWindow() == panel; }, 2s);
  }
};

TEST_F(BlindfoldE2E, FirstStartShowsThePanelAndStoresTheDefaultHotkeys) {
  BlindfoldProcess blindfold;
  HWND panel = blindfold.Panel();
  ASSERT_NE(panel, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return Visible(panel); }));

  HWND tab = FindControl(panel, L"", L"SysTabControl32");
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 5);
  HWND frame = FindControl(panel, L"Open windows list (", L"Button", true);
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(TextOf(frame).ends_with(L" windows found.)")) << TextOf(frame).c_str();

  auto names = ValueNames(HKEY_LOCAL_MACHINE, kShortcutKeys);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"BlindfoldShortcutKey", L"PanicShortcutKey", L"WindowsShortcutKey"}));
  EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"BlindfoldShortcutKey"), L"1,0,0,0,X");
  EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"WindowsShortcutKey"), L"1,0,0,0,Z");
  EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PanicShortcutKey"), L"1,0,0,0,V");

  // Each page, once shown, carries its controls with their captions.
  const std::vector<std::vector<const wchar_t*>> pages = {
      {L"[ Select All ]", L"[ Clear All ]", L"Refresh", L"[ Hide Taskbar ]", L"[ Hide desktop icons ]", L"Hide me!"},
      {L"[ WinKey ]", L"Hide me!"},
      {L"Set password", L"[ Mute sound when hiding windows ]", L"Hide me!"},
      {L"[Right click]", L"Hide me!"},
      {L"Shutdown", L"Acknowledgments", L"Hide me!"},
  };
  for (std::size_t page = 0; page < pages.size(); ++page) {
    SelectPage(panel, static_cast<int>(page));
    for (const wchar_t* caption : pages[page]) {
      HWND control = FindControl(panel, caption);
      if (!control) control = FindControl(panel, std::wstring(L"<a>") + caption + L"</a>");  // a link
      EXPECT_TRUE(control && Visible(control))
          << "page " << page << " shows no control captioned " << testing::PrintToString(std::wstring(caption));
    }
  }
}

TEST_F(BlindfoldE2E, SecondStartEndsAtOnceWithoutWarning) {
  BlindfoldProcess first;
  ASSERT_NE(first.Panel(), nullptr);
  BlindfoldProcess second;
  EXPECT_TRUE(second.WaitForExit(10s));
  EXPECT_TRUE(TopLevelWindows(second.Id(), L"Blindfold is already running in hidden mode!").empty());
}

TEST_F(BlindfoldE2E, SecondStartWarnsAndNoStopsFurtherWarnings) {
  BlindfoldProcess first;
  ASSERT_NE(first.Panel(), nullptr);
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PrevInstWarning", L"1");

  BlindfoldProcess second;
  HWND warning = WaitForShownWindow(second.Id(), L"Blindfold is already running in hidden mode!");
  ASSERT_NE(warning, nullptr);
  const std::wstring expected =
      L"Blindfold is already running in hidden mode!\r\n"
      L"Use the Blindfold function keys to activate Blindfold.\r\n"
      L"Close this message then press the Blindfold hotkey WIN key + X\r\n\r\n"
      L"Do you want to display this message in the future?";
  EXPECT_NE(FindControl(warning, expected, L"Static"), nullptr);
  HWND no = FindControl(warning, L"&No");
  ASSERT_NE(no, nullptr);
  EXPECT_NE(FindControl(warning, L"&Yes"), nullptr);
  Click(no);
  EXPECT_TRUE(second.WaitForExit(10s));
  EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PrevInstWarning"), L"0");
  EXPECT_EQ(first.ExitCode(), STILL_ACTIVE);
}

TEST_F(BlindfoldE2E, WindowsHotkeyHidesThePanelAndTheTaskbarAndShowsThemAgain) {
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"Taskbar", L"1");
  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);
  HWND taskbar = Taskbar();
  ASSERT_NE(taskbar, nullptr);
  ASSERT_TRUE(Visible(taskbar));

  PressKeys({VK_LWIN, 'Z'});
  EXPECT_TRUE(WaitUntil([&] { return !Visible(panel) && !Visible(taskbar); }));
  PressKeys({VK_LWIN, 'Z'});
  EXPECT_TRUE(WaitUntil([&] { return Visible(taskbar); }));
  EXPECT_FALSE(Visible(panel));  // the panel has its own hotkey
}

TEST_F(BlindfoldE2E, AltF4HidesThePanelAndTheHotkeysStillWork) {
  BlindfoldProcess blindfold;
  HWND panel = blindfold.Panel();
  ASSERT_NE(panel, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return Visible(panel); }));
  Activate(panel);
  PressKeys({VK_MENU, VK_F4});
  ASSERT_TRUE(WaitUntil([&] { return !Visible(panel); }));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(blindfold.ExitCode(), STILL_ACTIVE);

  PressKeys({VK_LWIN, 'X'});  // the panel hotkey brings it back
  EXPECT_TRUE(WaitUntil([&] { return Visible(panel); }));
}

TEST_F(BlindfoldE2E, CloseFromAnotherProgramOnlyHides) {
  BlindfoldProcess blindfold;
  HWND panel = blindfold.Panel();
  ASSERT_TRUE(WaitUntil([&] { return Visible(panel); }));
  PostMessageW(panel, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !Visible(panel); }));
  EXPECT_EQ(blindfold.ExitCode(), STILL_ACTIVE);
}

TEST_F(BlindfoldE2E, ShutdownEndsTheProgram) {
  BlindfoldProcess blindfold;
  HWND panel = blindfold.Panel();
  ASSERT_TRUE(WaitUntil([&] { return Visible(panel); }));
  Activate(panel);
  SelectPage(panel, 4);
  HWND shutdown = FindControl(panel, L"Shutdown", L"Button");
  ASSERT_NE(shutdown, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return Visible(shutdown); }));
  Click(shutdown);
  EXPECT_TRUE(blindfold.WaitForExit(10s));
}

TEST_F(BlindfoldE2E, HotkeyHeldByAnotherProgramIsReportedOnTheHotkeysPage) {
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_WIN | MOD_NOREPEAT, 'Z'));
  BlindfoldProcess blindfold;
  HWND panel = blindfold.Panel();
  ASSERT_NE(panel, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return Visible(panel); }));
  SelectPage(panel, 1);
  HWND status = nullptr;
  EXPECT_TRUE(WaitUntil([&] {
    status = FindControl(panel, L"Could not be registered: ", L"Static", true);
    return status != nullptr;
  }));
  if (status) {
    EXPECT_NE(TextOf(status).find(L"already uses this combination"), std::wstring::npos);
    EXPECT_NE(TextOf(status).find(L"bind Blindfold --toggle in your desktop's keyboard settings instead"),
              std::wstring::npos);
  }
  UnregisterHotKey(nullptr, 1);

  // The other hotkeys still work.
  ASSERT_TRUE(WaitUntil([&] { return Visible(panel); }));
  PressKeys({VK_LWIN, 'X'});
  EXPECT_TRUE(WaitUntil([&] { return !Visible(panel); }));
}

}  // namespace
}  // namespace blindfold::e2e
