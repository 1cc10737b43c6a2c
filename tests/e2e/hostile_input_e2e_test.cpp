#include <gtest/gtest.h>

#include <thread>

#include "clean_machine_test.h"
#include "driver.h"

namespace blindfold::e2e {
namespace {

using namespace std::chrono_literals;

HWND Taskbar() { return FindWindowW(L"Shell_TrayWnd", nullptr); }

// Whether another program may still take `key` without any modifier.
bool BareKeyIsFree(UINT key) {
  constexpr int kProbe = 0x7000;
  if (!RegisterHotKey(nullptr, kProbe, 0, key)) return false;
  UnregisterHotKey(nullptr, kProbe);
  return true;
}

bool PutOnClipboard(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  auto* characters = static_cast<wchar_t*>(GlobalLock(memory));
  std::copy(text.begin(), text.end(), characters);
  characters[text.size()] = L'\0';
  GlobalUnlock(memory);
  const bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  return put;
}

class HostileInputE2E : public CleanMachineTest {};

// What a careless or hostile user can do to a running Blindfold: unreadable
// hotkeys in the registry, messages posted from outside, a huge paste into the
// password box, and an end that is not ours.
TEST_F(HostileInputE2E, BlindfoldHoldsUpAndNeverLeavesWindowsHidden) {
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"BlindfoldShortcutKey", L"abc");
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"WindowsShortcutKey", L"Win+Z");
  HKEY keys = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kShortcutKeys.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY,
                            nullptr, &keys, nullptr),
            ERROR_SUCCESS);
  const DWORD number = 0xFFFFFFFF;
  RegSetValueExW(keys, L"PanicShortcutKey", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  RegCloseKey(keys);
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"Taskbar", L"1");
  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);

  // Unreadable hotkeys bring back their defaults and take no bare key.
  EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"BlindfoldShortcutKey"), L"1,0,0,0,X");
  EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"WindowsShortcutKey"), L"1,0,0,0,Z");
  EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PanicShortcutKey"), L"1,0,0,0,V");
  for (const UINT key : {UINT{'X'}, UINT{'Z'}, UINT{'A'}, UINT{'V'}}) {
    EXPECT_TRUE(BareKeyIsFree(key)) << static_cast<char>(key);
  }

  // Messages only Windows may send, posted by anyone, change nothing.
  PostMessageW(panel, WM_NOTIFY, 0, 1);
  PostMessageW(panel, WM_DPICHANGED, 0, 8);
  PostMessageW(panel, WM_INITDIALOG, 0, 1);
  PostMessageW(panel, WM_ENDSESSION, TRUE, 0);
  PostMessageW(panel, WM_DESTROY, 0, 0);
  std::this_thread::sleep_for(500ms);
  ASSERT_EQ(blindfold.ExitCode(), STILL_ACTIVE);
  ASSERT_TRUE(SendMessageTimeoutW(panel, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, nullptr)) << "no longer answers";
  EXPECT_TRUE(Visible(panel));

  // A huge paste into the password box: the box takes 256 characters, and
  // panic acts at once while their key is made.
  SetForegroundWindow(panel);
  SelectPage(panel, 2);
  HWND box = PasswordBox(panel);
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(PutOnClipboard(std::wstring(100 * 1024, L'p')));
  ASSERT_TRUE(TypeInto(box, ""));
  PressKeys({VK_CONTROL, 'V'});
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(box, WM_GETTEXTLENGTH, 0, 0) > 0; }));
  EXPECT_EQ(SendMessageW(box, WM_GETTEXTLENGTH, 0, 0), 256);
  HWND taskbar = Taskbar();
  ASSERT_TRUE(Visible(taskbar));
  Click(FindControl(panel, L"Set password", L"Button"));
  // Posted hotkeys come before input: the click has to have landed first.
  ASSERT_TRUE(WaitUntil([&] { return FindControl(panel, L"Setting the password...", L"Static") != nullptr; }, 5s));
  PressKeys({VK_LWIN, 'V'});
  EXPECT_TRUE(WaitUntil([&] { return !Visible(taskbar); }, 500ms)) << "panic waited for the password";
  EXPECT_TRUE(WaitUntil([&] {
    return ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PW").value_or(L"").starts_with(L"pbkdf2-sha256$");
  }, 30s));
  EXPECT_NE(FindControl(panel, L"Password set.", L"Static"), nullptr);

  // An end that is not our own shows what was hidden.
  PostMessageW(panel, WM_QUIT, 0, 0);
  ASSERT_TRUE(blindfold.WaitForExit(10s));
  EXPECT_TRUE(Visible(taskbar));
}

TEST_F(HostileInputE2E, DamagedPasswordIsReportedOnceWithTheWayOut) {
  for (const wchar_t* guard : {L"PPShowWindows", L"PPShowBlindfold", L"PPShutdown"}) {
    WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, guard, L"1");
  }
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PW", L"pbkdf2-sha256$600000$damaged");
  BlindfoldProcess blindfold;
  const auto report = [&]() -> HWND {
    for (HWND window : TopLevelWindows(blindfold.Id(), L"Blindfold")) {
      if (Visible(window) && FindControl(window, L"The stored password of Blindfold is damaged", L"Static", true)) {
        return window;
      }
    }
    return nullptr;
  };
  ASSERT_TRUE(WaitUntil([&] { return report() != nullptr; }));
  HWND shown = report();
  const std::wstring said = TextOf(FindControl(shown, L"The stored password", L"Static", true));
  EXPECT_NE(said.find(L"\"PW\" in HKEY_LOCAL_MACHINE\\Software\\Blindfold\\ShortcutKeys"), std::wstring::npos)
      << testing::PrintToString(said);
  Click(FindControl(shown, L"OK", L"Button"));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(shown); }));
  std::this_thread::sleep_for(1s);
  EXPECT_EQ(report(), nullptr);
  EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PW"), L"pbkdf2-sha256$600000$damaged");
  EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PPShowWindows"), L"1");
}

}  // namespace
}  // namespace blindfold::e2e
