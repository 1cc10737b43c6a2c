// The setup program and its uninstaller, run silently as a scripted install runs
// them, with Blindfold started from where they put it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "clean_machine_test.h"
#include "driver.h"

#include <shlobj.h>

namespace blindfold::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Blindfold";
const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::wstring(value, value + std::strlen(value)) : std::wstring();
}

fs::path KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  SHGetKnownFolderPath(id, 0, nullptr, &path);
  fs::path folder = path ? path : L"";
  CoTaskMemFree(path);
  return folder;
}

fs::path InstallFolder() { return KnownFolder(FOLDERID_LocalAppData) / L"Programs" / L"Blindfold"; }
fs::path Shortcut() { return KnownFolder(FOLDERID_Programs) / L"Blindfold.lnk"; }

// Runs a program to its end; its exit code.
DWORD RunToEnd(const std::wstring& program, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return static_cast<DWORD>(-1);
  }
  WaitForSingleObject(info.hProcess, 60000);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return code;
}

bool KeyExists(HKEY root, const std::wstring& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

void DeleteValue(HKEY root, const std::wstring& key, const std::wstring& name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE | KEY_WOW64_32KEY, &opened) != ERROR_SUCCESS) return;
  RegDeleteValueW(opened, name.c_str());
  RegCloseKey(opened);
}

// The process of a running Blindfold other than `except`, however it was
// started; 0 when there is none.
DWORD RunningBlindfold(DWORD except) {
  struct Search {
    DWORD except;
    DWORD found;
  } search{except, 0};
  EnumWindows(
      [](HWND window, LPARAM data) {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != s.except && !TopLevelWindows(process, L"Blindfold", L"BlindfoldMain").empty()) s.found = process;
        return s.found == 0 ? TRUE : FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring ImageOf(DWORD process) {
  HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (handle) QueryFullProcessImageNameW(handle, 0, path, &size);
  if (handle) CloseHandle(handle);
  return path;
}

bool Ended(DWORD process) {
  HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
  if (!handle) return true;
  const bool ended = WaitForSingleObject(handle, 10000) == WAIT_OBJECT_0;
  CloseHandle(handle);
  return ended;
}

// Another program's windows for Blindfold to hide, gone with this.
struct TestWindows {
  TestWindows() {
    std::wstring commandLine = L"\"" + FromEnvironment("BLINDFOLD_TEST_WINDOWS_APP") + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
  }
  ~TestWindows() {
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  TestWindows(const TestWindows&) = delete;
  TestWindows& operator=(const TestWindows&) = delete;
  PROCESS_INFORMATION info{};
};

class InstallerE2E : public CleanMachineTest {
 protected:
  void SetUp() override {
    CleanMachineTest::SetUp();
    setup_ = FromEnvironment("BLINDFOLD_SETUP");
    ASSERT_FALSE(setup_.empty());
    RemoveInstallation();  // a machine it was never installed on
  }
  void TearDown() override {
    // The Blindfold that the setup started again, if a failure left it running.
    if (const DWORD left = RunningBlindfold(0)) {
      HANDLE handle = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, left);
      TerminateProcess(handle, 1);
      WaitForSingleObject(handle, 10000);
      CloseHandle(handle);
    }
    RemoveInstallation();
    CleanMachineTest::TearDown();
  }

  static void RemoveInstallation() {
    std::error_code ignored;
    fs::remove_all(InstallFolder(), ignored);
    fs::remove(Shortcut(), ignored);
    RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey.c_str());
    DeleteValue(HKEY_CURRENT_USER, kRunKey, L"Blindfold");
    DeleteValue(HKEY_LOCAL_MACHINE, kRunKey, L"Blindfold");
  }

  DWORD Install() { return RunToEnd(setup_, L"/S"); }
  // The uninstaller runs from a copy of itself so that it can delete itself;
  // it is done when it has removed its entry, which it does last.
  bool Uninstall(const std::wstring& options = L"") {
    RunToEnd((InstallFolder() / L"Uninstall.exe").wstring(), L"/S " + options);
    return WaitUntil([] { return !KeyExists(HKEY_CURRENT_USER, kUninstallKey); }, 20s);
  }

  std::wstring setup_;
};

// The test program's window, once shown, hidden by the panic hotkey of the
// Blindfold running; null when either does not come.
HWND PanicHidden(const TestWindows& other) {
  HWND window = nullptr;
  const bool shown = WaitUntil([&] {
    const auto found = TopLevelWindows(other.info.dwProcessId, L"BF Plain");
    window = found.empty() ? nullptr : found.front();
    return window && Visible(window);
  });
  if (!shown) return nullptr;
  PressKeys({VK_LWIN, 'V'});
  return WaitUntil([&] { return !Visible(window); }) ? window : nullptr;
}

TEST_F(InstallerE2E, InstallsUpdatesARunningBlindfoldAndUninstalls) {
  ASSERT_EQ(Install(), 0u);
  const fs::path installed = InstallFolder() / L"Blindfold.exe";
  for (const wchar_t* file : {L"Blindfold.exe", L"bf.ico", L"acknowledgments.TXT", L"LICENSE.txt", L"Uninstall.exe"}) {
    EXPECT_TRUE(fs::exists(InstallFolder() / file)) << testing::PrintToString(std::wstring(file));
  }
  EXPECT_TRUE(fs::exists(Shortcut()));
  EXPECT_EQ(ReadSetting(HKEY_CURRENT_USER, kUninstallKey, L"DisplayName"), L"Blindfold");
  EXPECT_EQ(ReadSetting(HKEY_CURRENT_USER, kUninstallKey, L"DisplayVersion"), L"" BLINDFOLD_VERSION_TEXT);
  EXPECT_NE(ReadSetting(HKEY_CURRENT_USER, kUninstallKey, L"Publisher").value_or(L""), L"");
  EXPECT_TRUE(fs::exists(ReadSetting(HKEY_CURRENT_USER, kUninstallKey, L"DisplayIcon").value_or(L"")));
  EXPECT_EQ(ReadSetting(HKEY_CURRENT_USER, kUninstallKey, L"UninstallString"),
            L"\"" + (InstallFolder() / L"Uninstall.exe").wstring() + L"\"");
  DWORD size = 0;
  DWORD sizeBytes = sizeof size;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kUninstallKey.c_str(), L"EstimatedSize", RRF_RT_REG_DWORD, nullptr,
                         &size, &sizeBytes),
            ERROR_SUCCESS);
  EXPECT_GT(size, 100u);  // KiB

  // An installed copy that differs from the setup's, so that an update shows.
  { std::ofstream(installed, std::ios::binary | std::ios::app) << "older"; }
  const auto setupCopySize = fs::file_size(FromEnvironment("BLINDFOLD_EXE"));
  ASSERT_NE(fs::file_size(installed), setupCopySize);

  // Blindfold from the Start menu's target, with another program's window hidden.
  BlindfoldProcess older(installed.wstring());
  ASSERT_NE(older.ShownPanel(), nullptr);
  const TestWindows other;
  const HWND window = PanicHidden(other);
  ASSERT_NE(window, nullptr);

  // The update ends it the normal way, which shows what it hid, and starts the
  // new one, which starts hidden: it never makes its panel, and the uninstall
  // below still finds it.
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"StartHidden", L"1");
  ASSERT_EQ(Install(), 0u);
  EXPECT_TRUE(older.WaitForExit(10s));
  EXPECT_EQ(older.ExitCode(), 0u);
  EXPECT_TRUE(Visible(window));
  EXPECT_EQ(fs::file_size(installed), setupCopySize);
  DWORD newer = 0;
  ASSERT_TRUE(WaitUntil([&] { return (newer = RunningBlindfold(older.Id())) != 0; }));
  EXPECT_EQ(fs::path(ImageOf(newer)), installed);

  // Uninstalled while it runs: it is ended, everything the setup made goes, and
  // so does the start-at-log-on value; the settings stay.
  WriteSetting(HKEY_LOCAL_MACHINE, kRunKey, L"Blindfold", installed.wstring());
  WriteSetting(HKEY_CURRENT_USER, kRunKey, L"Blindfold", installed.wstring());
  ASSERT_TRUE(Uninstall());
  EXPECT_TRUE(Ended(newer));
  EXPECT_FALSE(fs::exists(InstallFolder()));
  EXPECT_FALSE(fs::exists(Shortcut()));
  EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kRunKey, L"Blindfold"), std::nullopt);
  EXPECT_EQ(ReadSetting(HKEY_CURRENT_USER, kRunKey, L"Blindfold"), std::nullopt);
  EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"BlindfoldShortcutKey"), L"1,0,0,0,X");

  // Asked to, it removes the settings too.
  WriteSetting(HKEY_CURRENT_USER, kShortcutKeys, L"StartHidden", L"1");
  ASSERT_EQ(Install(), 0u);
  ASSERT_TRUE(Uninstall(L"/REMOVESETTINGS"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Blindfold"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Blindfold"));
}

TEST_F(InstallerE2E, StopsRatherThanEndAPasswordGuardedBlindfold) {
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PPShutdown", L"1");
  BlindfoldProcess guarded;
  ASSERT_NE(guarded.Panel(), nullptr);
  EXPECT_NE(Install(), 0u);
  EXPECT_EQ(guarded.ExitCode(), STILL_ACTIVE);
  EXPECT_FALSE(fs::exists(InstallFolder() / L"Blindfold.exe"));
}

// Windows hidden behind the "Show windows" password: ending Blindfold would show
// them, so the uninstaller stops at once with the exit code that says so,
// rather than wait on a Login and blame a shutdown password that is not set.
TEST_F(InstallerE2E, StopsAtWindowsHiddenBehindThePassword) {
  ASSERT_EQ(Install(), 0u);
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PPShowWindows", L"1");
  BlindfoldProcess guarded((InstallFolder() / L"Blindfold.exe").wstring());
  ASSERT_NE(guarded.ShownPanel(), nullptr);
  const TestWindows other;
  const HWND window = PanicHidden(other);
  ASSERT_NE(window, nullptr);

  // In place ("_?="), so that its own exit code is the one seen.
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(RunToEnd((InstallFolder() / L"Uninstall.exe").wstring(), L"/S _?=" + InstallFolder().wstring()), 4u);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
  EXPECT_EQ(guarded.ExitCode(), STILL_ACTIVE);
  EXPECT_FALSE(Visible(window));
  EXPECT_TRUE(fs::exists(InstallFolder() / L"Blindfold.exe"));
}

}  // namespace
}  // namespace blindfold::e2e
