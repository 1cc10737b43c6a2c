#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <map>
#include <optional>
#include <thread>

#include "clean_machine_test.h"
#include "driver.h"

#include <sddl.h>

#include <commctrl.h>

namespace blindfold::e2e {
namespace {

using namespace std::chrono_literals;

// Blindfold together with a program whose windows it is to hide.
class WindowHidingE2E : public WithTestWindows {
 protected:
  // The test program's windows that the open-windows list shows.
  std::vector<HWND> ListedWindows() {
    return {AppWindow(L"BF Plain"), AppWindow(L"BF\tTabbed"), AppWindow(L"BF Long class"),
            AppWindow(L"BF \u00dcberweisung \u2013 \u6771\u4eac"), TopLevelWindows(app_.dwProcessId, L"", L"BfTestNoTitle").front()};
  }

  // The middle of the row of the open-windows list whose text is `row`.
  static std::optional<POINT> RowPoint(HWND panel, const std::wstring& row) {
    HWND list = FindControl(panel, L"", L"ListBox");  // the open-windows list comes first
    const LRESULT index = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(row.c_str()));
    if (index < 0) return std::nullopt;
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    POINT point{item.left + 30, (item.top + item.bottom) / 2};
    ClientToScreen(list, &point);
    return point;
  }
  // Clicks a row, marking or unmarking it, and waits until its mark changed.
  static bool ToggleRow(HWND panel, const std::wstring& row) {
    HWND list = FindControl(panel, L"", L"ListBox");
    const LRESULT index = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(row.c_str()));
    const auto point = RowPoint(panel, row);
    if (!point) return false;
    const LRESULT before = SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(index), 0);
    ClickAt(*point);
    const bool changed = WaitUntil([&] { return SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(index), 0) != before; },
                                   std::chrono::seconds(3));
    std::this_thread::sleep_for(std::chrono::milliseconds(GetDoubleClickTime() + 100));  // no double-click
    return changed;
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
  EXPECT_TRUE(WaitUntil([&] { return !Visible(AppWindow(L"BF Owned")); }));  // not listed: hidden with its owner
  EXPECT_FALSE(Visible(panel));

  PressKeys({VK_LWIN, 'Z'});  // one show brings back the toggle's and the panic's windows
  EXPECT_TRUE(WaitUntil([&] {
    for (HWND window : listed) {
      if (!Visible(window)) return false;
    }
    return Visible(taskbar) && Visible(AppWindow(L"BF Owned"));
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

TEST_F(WindowHidingE2E, MarkedWindowsAppliedWithHideMeAreHiddenAndSettingsSurviveARestart) {
  const std::wstring plainRow = L"BF Plain\tBfTestPlain  (class)";
  const std::wstring noTitleRow = L"BfTestNoTitle\tBfTestNoTitle  (class)";
  HWND plain = AppWindow(L"BF Plain");
  HWND noTitle = TopLevelWindows(app_.dwProcessId, L"", L"BfTestNoTitle").front();
  HWND tabbed = AppWindow(L"BF\tTabbed");
  RECT plainBefore{};
  GetWindowRect(plain, &plainBefore);
  {
    BlindfoldProcess blindfold;
    HWND panel = blindfold.ShownPanel();
    ASSERT_NE(panel, nullptr);
    SetForegroundWindow(panel);
    ASSERT_TRUE(ToggleRow(panel, plainRow));
    ASSERT_TRUE(ToggleRow(panel, noTitleRow));
    ASSERT_TRUE(ToggleCheckBox(FindControl(panel, L"[ Hide Taskbar ]", L"Button")));
    ASSERT_TRUE(ToggleCheckBox(FindControl(panel, L"[ Hide Taskbar ]", L"Button")));  // and back: unchanged
    Click(FindControl(panel, L"Hide me!", L"Button"));
    ASSERT_TRUE(WaitUntil([&] { return !Visible(panel); }));

    // Every setting is stored.
    for (const wchar_t* name : {L"BlindfoldShortcutKey", L"WindowsShortcutKey", L"PanicShortcutKey", L"bMute",
                                L"SoundLevel", L"StartHidden", L"Decoy", L"PPShutdown", L"PPShowWindows",
                                L"PPShowBlindfold", L"TrayIcon", L"TrayIconTip", L"DisplayIcon", L"ProgramManager",
                                L"Taskbar"}) {
      EXPECT_TRUE(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, name).has_value()) << testing::PrintToString(std::wstring(name));
    }
    EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"WindowsShortcutKey"), L"1,0,0,0,Z");
    EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, L"Software\\Blindfold", L"AlwaysHide"), L"");

    PressKeys({VK_LWIN, 'Z'});  // exactly the two marked windows go
    ASSERT_TRUE(WaitUntil([&] { return !Visible(plain) && !Visible(noTitle); }));
    EXPECT_TRUE(Visible(tabbed));
    PressKeys({VK_LWIN, 'Z'});
    ASSERT_TRUE(WaitUntil([&] { return Visible(plain) && Visible(noTitle); }));
    RECT plainAfter{};
    GetWindowRect(plain, &plainAfter);
    EXPECT_EQ(plainAfter.left, plainBefore.left);
    EXPECT_EQ(plainAfter.top, plainBefore.top);

    PressKeys({VK_LWIN, 'X'});  // the panel, on its first page
    ASSERT_TRUE(WaitUntil([&] { return Visible(panel); }));
    EXPECT_EQ(SendMessageW(FindControl(panel, L"", L"SysTabControl32"), TCM_GETCURSEL, 0, 0), 0);
    ASSERT_TRUE(ToggleCheckBox(FindControl(panel, L"[ Hide desktop icons ]", L"Button")));
    PressKeys({VK_LWIN, 'X'});  // applies and hides
    ASSERT_TRUE(WaitUntil([&] { return !Visible(panel); }));
    EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"ProgramManager"), L"1");
  }

  BlindfoldProcess restarted;
  HWND panel = restarted.ShownPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(SendMessageW(FindControl(panel, L"[ Hide desktop icons ]", L"Button"), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(WindowHidingE2E, WindowsHiddenWhenBlindfoldIsKilledComeBackAtTheNextStart) {
  WriteSetting(HKEY_LOCAL_MACHINE, L"Software\\Blindfold", L"AlwaysHide",
               L"x\tBfTestPlain  (class),x\tBfTestNoTitle  (class)");
  const std::vector<HWND> chosen = {AppWindow(L"BF Plain"), AppWindow(L"BF \u00dcberweisung \u2013 \u6771\u4eac"),
                                    TopLevelWindows(app_.dwProcessId, L"", L"BfTestNoTitle").front()};
  std::vector<RECT> before(chosen.size());
  for (std::size_t i = 0; i < chosen.size(); ++i) GetWindowRect(chosen[i], &before[i]);
  {
    BlindfoldProcess blindfold;
    ASSERT_NE(blindfold.ShownPanel(), nullptr);
    PressKeys({VK_LWIN, 'Z'});
    ASSERT_TRUE(WaitUntil([&] {
      return std::none_of(chosen.begin(), chosen.end(), [](HWND window) { return Visible(window); });
    }));
  }  // killed without warning
  EXPECT_FALSE(Visible(chosen[0]));

  BlindfoldProcess restarted;
  ASSERT_NE(restarted.ShownPanel(), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return std::all_of(chosen.begin(), chosen.end(), Visible); }));
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    RECT after{};
    GetWindowRect(chosen[i], &after);
    EXPECT_EQ(after.left, before[i].left);
    EXPECT_EQ(after.top, before[i].top);
  }
  EXPECT_FALSE(Visible(AppWindow(L"BF Invisible")));  // its own program hid it: not ours to show
}

// An always-hide entry naming the test program by the path Windows gives its
// image hides that program's windows, whatever their classes.
TEST_F(WindowHidingE2E, AProgramEntryHidesThatProgramsWindows) {
  std::wstring image(32768, L'\0');
  DWORD length = static_cast<DWORD>(image.size());
  ASSERT_TRUE(QueryFullProcessImageNameW(app_.hProcess, 0, image.data(), &length));
  image.resize(length);
  ASSERT_EQ(image.find_first_of(L",%\t"), std::wstring::npos) << "a path the entry would have to write out";
  WriteSetting(HKEY_LOCAL_MACHINE, L"Software\\Blindfold", L"AlwaysHide", L"\t" + image + L"  (program)");
  const std::vector<HWND> windows = {AppWindow(L"BF Plain"), AppWindow(L"BF \u00dcberweisung \u2013 \u6771\u4eac")};
  BlindfoldProcess blindfold;
  ASSERT_NE(blindfold.ShownPanel(), nullptr);
  PressKeys({VK_LWIN, 'Z'});
  EXPECT_TRUE(WaitUntil([&] { return std::none_of(windows.begin(), windows.end(), Visible); }));
  PressKeys({VK_LWIN, 'Z'});
  EXPECT_TRUE(WaitUntil([&] { return std::all_of(windows.begin(), windows.end(), Visible); }));
}

TEST_F(WindowHidingE2E, WithTheShowGuardKilledBlindfoldsWindowsWaitForThePassword) {
  WriteSetting(HKEY_LOCAL_MACHINE, L"Software\\Blindfold", L"AlwaysHide", L"x\tBfTestPlain  (class)");
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PPShowWindows", L"1");
  HWND plain = AppWindow(L"BF Plain");
  {
    BlindfoldProcess blindfold;
    ASSERT_NE(blindfold.ShownPanel(), nullptr);
    PressKeys({VK_LWIN, 'Z'});
    ASSERT_TRUE(WaitUntil([&] { return !Visible(plain); }));
  }
  BlindfoldProcess restarted;
  ASSERT_NE(restarted.MainWindow(), nullptr);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_FALSE(Visible(plain));
  for (HWND panel : TopLevelWindows(restarted.Id(), L"Blindfold", L"#32770")) {
    EXPECT_FALSE(Visible(panel));  // the panel would show them without the password
  }

  PressKeys({VK_LWIN, 'Z'});  // the password dialog; no password is set, so OK passes
  ASSERT_NE(WaitForShownWindow(restarted.Id(), L"Login", /*foreground=*/true), nullptr);
  PressKeys({VK_RETURN});
  EXPECT_TRUE(WaitUntil([&] { return Visible(plain); }));

  // The end of the Windows session, as Windows tells it to every top-level
  // window, ends Blindfold at once, its panel never made, and leaves what it
  // hid hidden.
  PressKeys({VK_LWIN, 'Z'});
  ASSERT_TRUE(WaitUntil([&] { return !Visible(plain); }));
  HWND main = restarted.MainWindow();
  DWORD_PTR mayEnd = FALSE;
  ASSERT_TRUE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &mayEnd));
  EXPECT_TRUE(mayEnd);
  SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  EXPECT_TRUE(restarted.WaitForExit(10s));
  EXPECT_FALSE(Visible(plain));
}

TEST_F(WindowHidingE2E, AHungWindowNeitherFreezesBlindfoldNorHoldsUpTheOthers) {
  WriteSetting(HKEY_LOCAL_MACHINE, L"Software\\Blindfold", L"AlwaysHide",
               L"x\tBfTestPlain  (class),x\tBfTestNoTitle  (class)");
  HWND hangs = AppWindow(L"BF Hangs");
  HWND plain = AppWindow(L"BF Plain");
  ASSERT_NE(hangs, nullptr);
  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);

  PostMessageW(hangs, WM_APP, 6000, 0);  // its thread stops answering for six seconds
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto start = std::chrono::steady_clock::now();
  PressKeys({VK_LWIN, 'Z'});
  ASSERT_TRUE(WaitUntil([&] { return !Visible(plain); }, std::chrono::seconds(3)))
      << "the other windows waited for the hung one";
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));

  DWORD_PTR answer = 0;  // Blindfold itself still answers meanwhile
  EXPECT_NE(SendMessageTimeoutW(panel, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer), 0);
  EXPECT_TRUE(WaitUntil([&] { return !Visible(hangs); }, std::chrono::seconds(10)))
      << "the hung window was not hidden once it answered again";
  PressKeys({VK_LWIN, 'X'});  // and its hotkeys work: the panel comes back, the windows with it
  EXPECT_TRUE(WaitUntil([&] { return Visible(panel) && Visible(plain) && Visible(hangs); }));
}

// A standard user may read the machine-wide settings but not write them.
class ReadOnlyMachineSettings {
 public:
  ReadOnlyMachineSettings() {
    for (const wchar_t* path : {L"Software\\Blindfold", L"Software\\Blindfold\\ShortcutKeys"}) {
      HKEY key = nullptr;
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key,
                      nullptr);
      PSECURITY_DESCRIPTOR readOnly = nullptr;
      ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;KR;;;WD)", SDDL_REVISION_1, &readOnly,
                                                           nullptr);
      ok_ = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly) == ERROR_SUCCESS && ok_;
      LocalFree(readOnly);
      RegCloseKey(key);
    }
  }
  ~ReadOnlyMachineSettings() {
    for (const wchar_t* path : {L"Software\\Blindfold\\ShortcutKeys", L"Software\\Blindfold"}) {
      HKEY key = nullptr;
      if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, WRITE_DAC | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) continue;
      PSECURITY_DESCRIPTOR open = nullptr;
      ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;OICI;KA;;;WD)", SDDL_REVISION_1, &open, nullptr);
      RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, open);
      LocalFree(open);
      RegCloseKey(key);
    }
  }
  // Whether the platform really refuses the writes now.
  bool Refuses() const {
    HKEY key = nullptr;
    const LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Blindfold\\ShortcutKeys", 0,
                                         KEY_SET_VALUE | KEY_WOW64_32KEY, &key);
    if (status == ERROR_SUCCESS) RegCloseKey(key);
    return ok_ && status == ERROR_ACCESS_DENIED;
  }

 private:
  bool ok_ = true;
};

TEST_F(WindowHidingE2E, ReadOnlyMachineSettingsAreSavedPerUserAndLoadedBack) {
  ReadOnlyMachineSettings readOnly;
  if (!readOnly.Refuses()) GTEST_SKIP() << "this platform does not enforce registry permissions";
  {
    BlindfoldProcess blindfold;
    HWND panel = blindfold.ShownPanel();
    ASSERT_NE(panel, nullptr);
    SetForegroundWindow(panel);
    ASSERT_TRUE(ToggleCheckBox(FindControl(panel, L"[ Hide desktop icons ]", L"Button")));
    Click(FindControl(panel, L"Hide me!", L"Button"));
    ASSERT_TRUE(WaitUntil([&] { return !Visible(panel); })) << "the panel stayed: the settings were not saved";
    EXPECT_EQ(ReadSetting(HKEY_CURRENT_USER, kShortcutKeys, L"ProgramManager"), L"1");
    EXPECT_EQ(ReadSetting(HKEY_CURRENT_USER, kShortcutKeys, L"WindowsShortcutKey"), L"1,0,0,0,Z");
  }
  BlindfoldProcess restarted;
  HWND panel = restarted.ShownPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(SendMessageW(FindControl(panel, L"[ Hide desktop icons ]", L"Button"), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(WindowHidingE2E, TrayIconGesturesToggleAndTheMenuShutsDown) {
  EndProgram(app_);  // its own Shell_TrayWnd would stand in front of the shell's
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"DisplayIcon", L"1");
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"TrayHideWindows", L"513");
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"TrayMenu", L"517");
  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);
  SelectPage(panel, 4);
  HWND shutdown = FindControl(panel, L"Shutdown", L"Button");
  ASSERT_NE(shutdown, nullptr);
  EXPECT_FALSE(Visible(shutdown));  // the tray menu has it
  SelectPage(panel, 0);

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
