#include "platform/win32/win32_window_manager.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

#include "platform/win32/handle_conversion.h"
#include "platform/win32/text_conversion.h"
#include "windows/hidden_record.h"
#include "windows/window_list.h"
#include "windows/window_toggle.h"
#include "windows/window_toggle_host_stub.h"

namespace blindfold::win32 {
namespace {

// Runs the test window program for the whole suite; its windows belong to
// another process, as the windows Blindfold hides always do.
class RealWindowsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const char* program = std::getenv("BLINDFOLD_TEST_WINDOWS_APP");
    ASSERT_NE(program, nullptr) << "BLINDFOLD_TEST_WINDOWS_APP names the test window program";
    const std::wstring eventName = L"BlindfoldTestWindowsReady" + std::to_wstring(GetCurrentProcessId());
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    std::wstring commandLine = L"\"" + Widen(program) + L"\" " + eventName;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &app_));
    ASSERT_EQ(WaitForSingleObject(ready, 30000), WAIT_OBJECT_0) << "test windows did not open";
    CloseHandle(ready);
  }
  static void TearDownTestSuite() {
    TerminateProcess(app_.hProcess, 0);
    WaitForSingleObject(app_.hProcess, 10000);
    CloseHandle(app_.hThread);
    CloseHandle(app_.hProcess);
  }

  static bool OfTestApp(WindowHandle window) {
    DWORD process = 0;
    GetWindowThreadProcessId(ToHwnd(window), &process);
    return process == app_.dwProcessId;
  }

  // The test program's top-level windows by title, found without the logic.
  static std::map<std::wstring, WindowHandle> AppWindows() {
    std::map<std::wstring, WindowHandle> windows;
    EnumWindows(
        [](HWND window, LPARAM found) {
          if (!OfTestApp(FromHwnd(window))) return TRUE;
          wchar_t title[256] = {};
          GetWindowTextW(window, title, 256);
          wchar_t className[256] = {};
          GetClassNameW(window, className, 256);
          const std::wstring name(className);
          if (!name.starts_with(L"BfTest") && name != L"Shell_TrayWnd") return TRUE;  // e.g. IME windows
          const std::wstring key = title[0] ? std::wstring(title) : L"class:" + std::wstring(className);
          reinterpret_cast<std::map<std::wstring, WindowHandle>*>(found)->emplace(key, FromHwnd(window));
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
  }

  static RECT Rect(WindowHandle window) {
    RECT rect{};
    GetWindowRect(ToHwnd(window), &rect);
    return rect;
  }

  static inline PROCESS_INFORMATION app_{};
  Win32WindowManager windows;
  PanelModel panel;
};

TEST_F(RealWindowsTest, ListsOnlyOwnerlessVisibleEnabledWindows) {
  RebuildOpenWindowsList(windows, panel);
  std::set<std::string> rows;
  for (const ListRow& row : panel.List1.Rows()) {
    if (OfTestApp(row.itemData)) rows.insert(row.text);
  }
  const std::string longClass = "BfTestLongClass" + std::string(48, 'L');  // cut to 63
  EXPECT_EQ(rows, (std::set<std::string>{
                      "BF Plain\tBfTestPlain  (class)",
                      "BfTestNoTitle\tBfTestNoTitle  (class)",
                      "BF\tTabbed\tBfTestPlain  (class)",
                      "BF Long class\t" + longClass + "  (class)",
                      "BF Überweisung – 東京\tBfTestPlain  (class)",
                      "BF Hangs\tBfTestNoTitle  (class)",
                  }));
}

TEST_F(RealWindowsTest, KeepsTheLastDesktopAndTaskbarInStackingOrder) {
  RebuildOpenWindowsList(windows, panel);
  WindowHandle lastDesktop = 0;
  WindowHandle lastTaskbar = 0;
  windows.EnumWindows([&](WindowHandle window) {
    const HWND hwnd = ToHwnd(window);
    if (GetParent(hwnd) || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return true;
    wchar_t title[64] = {};
    wchar_t className[64] = {};
    GetWindowTextW(hwnd, title, 64);
    GetClassNameW(hwnd, className, 64);
    if (std::wstring(title) == L"Program Manager") lastDesktop = window;
    if (!title[0] && std::wstring(className) == L"Shell_TrayWnd") lastTaskbar = window;
    return true;
  });
  ASSERT_NE(lastDesktop, 0);
  ASSERT_NE(lastTaskbar, 0);
  EXPECT_EQ(panel.chkProgramManager.tag, std::to_string(lastDesktop));
  EXPECT_EQ(panel.chkTaskbar.tag, std::to_string(lastTaskbar));
}

TEST_F(RealWindowsTest, ToggleHidesAndShowsExactlyTheChosenWindowsInPlace) {
  const auto app = AppWindows();
  const WindowHandle plain = app.at(L"BF Plain");
  const WindowHandle tabbed = app.at(L"BF\tTabbed");
  std::map<WindowHandle, RECT> before;
  for (const auto& [title, window] : app) before[window] = Rect(window);

  ToggleHostStub host;
  WindowHiding hiding(panel, windows, host);
  AppendHiddenWindow(hiding.strHiddenWindows, plain);
  AppendHiddenWindow(hiding.strHiddenWindows, tabbed);

  hiding.KeyTest();
  for (const auto& [title, window] : app) {
    const bool chosen = window == plain || window == tabbed;
    const bool wasVisible = title != L"BF Invisible";
    EXPECT_EQ(IsWindowVisible(ToHwnd(window)) != FALSE, wasVisible && !chosen) << Narrow(title);
  }

  hiding.KeyTest();
  for (const auto& [title, window] : app) {
    EXPECT_EQ(IsWindowVisible(ToHwnd(window)) != FALSE, title != L"BF Invisible") << Narrow(title);
    const RECT rect = Rect(window);
    EXPECT_EQ(rect.left, before[window].left) << Narrow(title);
    EXPECT_EQ(rect.top, before[window].top) << Narrow(title);
    EXPECT_EQ(rect.right, before[window].right) << Narrow(title);
    EXPECT_EQ(rect.bottom, before[window].bottom) << Narrow(title);
  }
}

TEST_F(RealWindowsTest, TaskbarIsHiddenAndShownWithItsBox) {
  ToggleHostStub host;
  WindowHiding hiding(panel, windows, host);
  panel.chkTaskbar.value = 1;
  hiding.KeyTest();
  const WindowHandle taskbar = ParseHiddenWindows(hiding.strHiddenWindows).at(0);
  EXPECT_EQ(std::to_string(taskbar), panel.chkTaskbar.tag);
  EXPECT_FALSE(IsWindowVisible(ToHwnd(taskbar)));
  hiding.KeyTest();
  EXPECT_TRUE(IsWindowVisible(ToHwnd(taskbar)));
}

TEST_F(RealWindowsTest, VanishedHandleIsSkipped) {
  ToggleHostStub host;
  WindowHiding hiding(panel, windows, host);
  hiding.strHiddenWindows = ",4660";  // no such window
  hiding.bWindowsHidden = true;
  hiding.KeyTest();
  EXPECT_FALSE(hiding.bWindowsHidden);
}

}  // namespace
}  // namespace blindfold::win32
