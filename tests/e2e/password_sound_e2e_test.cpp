#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <thread>

#include "clean_machine_test.h"
#include "driver.h"

#include <commctrl.h>

namespace blindfold::e2e {
namespace {

using namespace std::chrono_literals;

HWND Taskbar() { return FindWindowW(L"Shell_TrayWnd", nullptr); }

bool PutOnClipboard(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory) {
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
  }
  const bool put = memory && SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
  return put;
}

// Blindfold.exe with `arguments`, run to its end: its exit code and what it
// wrote to its standard output and error.
struct Ran {
  DWORD exitCode = STILL_ACTIVE;
  std::string output;
};
Ran RunBlindfold(const std::wstring& arguments) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE reading = nullptr;
  HANDLE writing = nullptr;
  Ran ran;
  if (!CreatePipe(&reading, &writing, &inherited, 1 << 16)) return ran;
  SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
  std::wstring commandLine = L"\"" + BuiltBlindfold() + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writing;
  startup.hStdError = writing;
  PROCESS_INFORMATION process{};
  const bool started =
      CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  CloseHandle(writing);
  if (started) {
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(reading, buffer, sizeof buffer, &read, nullptr) && read > 0) ran.output.append(buffer, read);
    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &ran.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(reading);
  return ran;
}

class PasswordSoundE2E : public CleanMachineTest {
 protected:
  // Presses the windows hotkey and answers the password dialog it opens.
  static void ShowWindowsAnswering(BlindfoldProcess& blindfold, const std::string& password, bool cancel = false) {
    PressKeys({VK_LWIN, 'Z'});
    HWND login = WaitForShownWindow(blindfold.Id(), L"Login", /*foreground=*/true);
    ASSERT_NE(login, nullptr) << "no Login dialog";
    EXPECT_NE(FindControl(login, L"&Password:"), nullptr);
    if (cancel) {
      Click(FindControl(login, L"Cancel", L"Button"));
    } else {
      ASSERT_TRUE(TypeInto(FindControl(login, L"", L"Edit"), password));
      PressKeys({VK_RETURN});
    }
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(login) || !Visible(login); }));
  }
};

TEST_F(PasswordSoundE2E, PasswordSetInThePanelGuardsShowingTheWindowsAndANewOneIsWhatWasTypedOrPasted) {
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"Taskbar", L"1");
  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);
  SetForegroundWindow(panel);
  SelectPage(panel, 2);

  HWND box = PasswordBox(panel);
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(TypeInto(box, "abc123"));
  Click(FindControl(panel, L"Set password", L"Button"));
  ASSERT_TRUE(WaitUntil([&] { return ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PW").has_value(); }));
  const std::wstring stored = *ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PW");
  EXPECT_EQ(stored.rfind(L"pbkdf2-sha256$", 0), 0u) << testing::PrintToString(stored);
  EXPECT_EQ(stored.find(L"abc123"), std::wstring::npos);

  // The box now holds the stored key. A new password typed at its end, as a
  // user who clicks there would, is exactly what was typed: none of the key.
  RECT edges{};
  GetWindowRect(box, &edges);
  ClickAt({edges.right - 3, (edges.top + edges.bottom) / 2});
  ASSERT_TRUE(WaitUntil([&] { return Focused(panel) == box; }));
  PressKeys({VK_END});
  for (const WORD key : {WORD{'X'}, WORD{'Y'}, WORD{'Z'}, WORD{'9'}}) PressKeys({key});
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(box, WM_GETTEXTLENGTH, 0, 0) == 4; }));
  PressKeys({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PW") != stored; }));
  // Then pasted over, with a text that begins as the key does.
  const std::wstring typedKey = *ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PW");
  ASSERT_TRUE(PutOnClipboard(L"pbkdf9"));
  Click(box);
  ASSERT_TRUE(WaitUntil([&] { return Focused(panel) == box; }));
  PressKeys({VK_CONTROL, 'V'});
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(box, WM_GETTEXTLENGTH, 0, 0) == 6; }));
  PressKeys({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PW") != typedKey; }));

  ASSERT_TRUE(ToggleCheckBox(FindControl(panel, L"[ Password protect 'Show windows' ]", L"Button")));
  Click(FindControl(panel, L"Hide me!", L"Button"));
  ASSERT_TRUE(WaitUntil([&] { return !Visible(panel); }));
  EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PPShowWindows"), L"1");

  HWND taskbar = Taskbar();
  ASSERT_TRUE(Visible(taskbar));
  PressKeys({VK_LWIN, 'Z'});
  ASSERT_TRUE(WaitUntil([&] { return !Visible(taskbar); }));

  ShowWindowsAnswering(blindfold, "wrong");
  std::this_thread::sleep_for(300ms);
  EXPECT_FALSE(Visible(taskbar));
  ShowWindowsAnswering(blindfold, "", /*cancel=*/true);
  std::this_thread::sleep_for(300ms);
  EXPECT_FALSE(Visible(taskbar));
  for (const char* old : {"abc123", "xyz9"}) {
    ShowWindowsAnswering(blindfold, old);
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(Visible(taskbar)) << "the old password " << old << " still shows the windows";
  }
  ShowWindowsAnswering(blindfold, "pbkdf9");
  EXPECT_TRUE(WaitUntil([&] { return Visible(taskbar); }));
}

// What a desktop's key binding, a launcher or a script sends to the running
// Blindfold, and what it hears back.
TEST_F(PasswordSoundE2E, CommandsReachTheRunningBlindfoldThroughItsPasswordGate) {
  Ran ran = RunBlindfold(L"--toggle");
  EXPECT_EQ(ran.exitCode, 2u);
  EXPECT_NE(ran.output.find("not running"), std::string::npos) << ran.output;
  ran = RunBlindfold(L"--version");
  EXPECT_EQ(ran.exitCode, 0u);
  EXPECT_EQ(ran.output.rfind("Blindfold ", 0), 0u) << ran.output;
  ran = RunBlindfold(L"--help");
  EXPECT_EQ(ran.exitCode, 0u);
  EXPECT_NE(ran.output.find("--restore"), std::string::npos) << ran.output;

  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"Taskbar", L"1");
  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);
  ran = RunBlindfold(L"--frobnicate");
  EXPECT_EQ(ran.exitCode, 2u);
  EXPECT_NE(ran.output.find("unknown option \"--frobnicate\""), std::string::npos) << ran.output;
  EXPECT_EQ(RunBlindfold(L"--panel").exitCode, 0u);
  EXPECT_TRUE(WaitUntil([&] { return !Visible(panel); }));

  // A storm of toggles: each waits for its answer, so the taskbar ends as the
  // count says.
  HWND taskbar = Taskbar();
  ASSERT_TRUE(Visible(taskbar));
  int refused = 0;
  for (int i = 0; i < 100; ++i) refused += RunBlindfold(L"--toggle").exitCode != 0;
  EXPECT_EQ(refused, 0);
  // The last one shows it the way every show goes: without waiting for it.
  EXPECT_TRUE(WaitUntil([&] { return Visible(taskbar); }));
  EXPECT_EQ(RunBlindfold(L"--panic").exitCode, 0u);
  EXPECT_TRUE(WaitUntil([&] { return !Visible(taskbar); }));
  EXPECT_EQ(RunBlindfold(L"--toggle").exitCode, 0u);
  EXPECT_TRUE(WaitUntil([&] { return Visible(taskbar); }));

  // With showing guarded, the command opens Login in the running Blindfold.
  EXPECT_EQ(RunBlindfold(L"--panel").exitCode, 0u);
  ASSERT_TRUE(WaitUntil([&] { return Visible(panel); }));
  SetForegroundWindow(panel);
  SelectPage(panel, 2);
  ASSERT_TRUE(TypeInto(PasswordBox(panel), "abc123"));
  Click(FindControl(panel, L"Set password", L"Button"));
  ASSERT_TRUE(WaitUntil([&] { return ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PW").has_value(); }));
  ASSERT_TRUE(ToggleCheckBox(FindControl(panel, L"[ Password protect 'Show windows' ]", L"Button")));
  Click(FindControl(panel, L"Hide me!", L"Button"));
  ASSERT_TRUE(WaitUntil([&] { return !Visible(panel); }));
  EXPECT_EQ(RunBlindfold(L"--toggle").exitCode, 0u);
  ASSERT_TRUE(WaitUntil([&] { return !Visible(taskbar); }));
  for (const char* password : {"wrong", "abc123"}) {
    BlindfoldProcess command(BuiltBlindfold(), L"--toggle");
    HWND login = WaitForShownWindow(blindfold.Id(), L"Login", /*foreground=*/true);
    ASSERT_NE(login, nullptr) << "no Login dialog";
    ASSERT_TRUE(TypeInto(FindControl(login, L"", L"Edit"), password));
    PressKeys({VK_RETURN});
    ASSERT_TRUE(command.WaitForExit(20s));
    if (std::string(password) == "wrong") {
      EXPECT_EQ(command.ExitCode(), 1u);
      EXPECT_FALSE(Visible(taskbar));
    } else {
      EXPECT_EQ(command.ExitCode(), 0u);
      EXPECT_TRUE(WaitUntil([&] { return Visible(taskbar); }));
    }
  }

  EXPECT_EQ(RunBlindfold(L"--quit").exitCode, 0u);
  EXPECT_TRUE(blindfold.WaitForExit(10s));
  EXPECT_EQ(RunBlindfold(L"--quit").exitCode, 2u);
}

TEST_F(PasswordSoundE2E, MixerIsFoundAndMuteAndRestoreRun) {
  if (!std::getenv("BLINDFOLD_AUDIO_DEVICE")) GTEST_SKIP() << "no audio device was set up for this run";
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"bMute", L"1");
  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);
  SelectPage(panel, 2);
  EXPECT_NE(FindControl(panel, L"0 to 65535", L"Static"), nullptr);  // the fader's range
  HWND mute = FindControl(panel, L"[ Mute sound when hiding windows ]", L"Button");
  ASSERT_NE(mute, nullptr);
  EXPECT_TRUE(IsWindowEnabled(mute));
  PressKeys({VK_LWIN, 'Z'});
  ASSERT_TRUE(WaitUntil([&] { return !Visible(panel); }));
  PressKeys({VK_LWIN, 'Z'});
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(blindfold.ExitCode(), STILL_ACTIVE);
}

// Run while no audio device exists (see the test command).
TEST_F(PasswordSoundE2E, NoAudioDeviceTicksAndGreysTheMuteBox) {
  if (std::getenv("BLINDFOLD_AUDIO_DEVICE")) GTEST_SKIP() << "an audio device was set up for this run";
  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);
  SelectPage(panel, 2);
  HWND mute = FindControl(panel, L"[ Mute sound when hiding windows ]", L"Button");
  ASSERT_NE(mute, nullptr);
  EXPECT_FALSE(IsWindowEnabled(mute));
  EXPECT_EQ(SendMessageW(mute, BM_GETCHECK, 0, 0), BST_CHECKED);
  PressKeys({VK_LWIN, 'Z'});
  ASSERT_TRUE(WaitUntil([&] { return !Visible(panel); }));
  PressKeys({VK_LWIN, 'Z'});
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(blindfold.ExitCode(), STILL_ACTIVE);
}

}  // namespace
}  // namespace blindfold::e2e
