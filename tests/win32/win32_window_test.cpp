#include "platform/win32/win32_window_manager.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <set>

#include "platform/fake/fake_window_watch.h"
#include "platform/win32/handle_conversion.h"
#include "platform/win32/text_conversion.h"
#include "windows/window_list.h"
#include "windows/window_toggle.h"
#include "windows/window_toggle_host_stub.h"

namespace blindfold::win32 {
namespace {

// Other programs hide and show their windows when they next read their
// messages; this waits for that, up to ten seconds.
bool Eventually(const std::function<bool()>& done) {
  for (int i = 0; i < 1000; ++i) {
    if (done()) return true;
    Sleep(10);
  }
  return done();
}

bool Visible(WindowHandle window) { return IsWindowVisible(ToHwnd(window)) != FALSE; }

// The same, with this thread's messages handled meanwhile, as the program's
// message loop does.
bool EventuallyWithMessages(const std::function<bool()>& done) {
  return Eventually([&] {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    return done();
  });
}

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
  for (const ListRow& row : panel.openWindows.Rows()) {
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
                      "BF Owned overlapped\tBfTestPlain  (class)",  // only pop-ups count as owned
                      "BF Maximized\tBfTestPlain  (class)",
                      "BF Minimized\tBfTestPlain  (class)",
                  }));
}

// The state read from the style must answer as the platform's own three calls,
// and a title read once as its length and then its text.
TEST_F(RealWindowsTest, StateAndTitleAgreeWithThePlatformsOwnCalls) {
  // A title too long to be read whole at once, and one whose first character
  // takes two UTF-16 units.
  const auto appWindows = AppWindows();
  const HWND plain = ToHwnd(appWindows.at(L"BF Plain"));
  const HWND maximized = ToHwnd(appWindows.at(L"BF Maximized"));
  SendMessageW(plain, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(std::wstring(700, L'\u00e9').c_str()));
  SendMessageW(maximized, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"\U0001F512 BF Maximized"));
  int compared = 0;
  windows.EnumWindows([&](WindowHandle window) {
    const HWND hwnd = ToHwnd(window);
    const WindowState state = windows.State(window);
    EXPECT_EQ(state.parent, FromHwnd(GetParent(hwnd))) << window.Value();
    EXPECT_EQ(state.visible, IsWindowVisible(hwnd) != FALSE) << window.Value();
    EXPECT_EQ(state.enabled, IsWindowEnabled(hwnd) != FALSE) << window.Value();
    const auto platformTitle = [hwnd](int bufferChars) {
      std::wstring title(static_cast<std::size_t>(bufferChars), L'\0');
      title.resize(static_cast<std::size_t>(std::max(GetWindowTextW(hwnd, title.data(), bufferChars), 0)));
      return Narrow(title);
    };
    const int length = windows.WindowTextLength(window);
    EXPECT_EQ(length, GetWindowTextLengthW(hwnd)) << window.Value();
    EXPECT_EQ(windows.WindowText(window, length + 1), platformTitle(length + 1)) << window.Value();
    windows.WindowTextLength(window);
    EXPECT_EQ(windows.WindowText(window, 3), platformTitle(3)) << window.Value();
    ++compared;
    return true;
  });
  SendMessageW(plain, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"BF Plain"));
  SendMessageW(maximized, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"BF Maximized"));
  EXPECT_GT(compared, 15);
  const WindowState gone = windows.State(WindowHandle(0x4660));
  EXPECT_FALSE(gone.parent);
  EXPECT_FALSE(gone.visible || gone.enabled);
}

TEST_F(RealWindowsTest, KeepsTheLastDesktopAndTaskbarInStackingOrder) {
  RebuildOpenWindowsList(windows, panel);
  WindowHandle lastDesktop;
  WindowHandle lastTaskbar;
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
  ASSERT_TRUE(lastDesktop);
  ASSERT_TRUE(lastTaskbar);
  EXPECT_EQ(panel.chkProgramManager.tag, std::to_string(lastDesktop.Value()));
  EXPECT_EQ(panel.chkTaskbar.tag, std::to_string(lastTaskbar.Value()));
}

TEST_F(RealWindowsTest, ToggleHidesAndShowsExactlyTheChosenWindowsInPlace) {
  const auto app = AppWindows();
  const WindowHandle plain = app.at(L"BF Plain");
  const WindowHandle tabbed = app.at(L"BF\tTabbed");
  const WindowHandle maximized = app.at(L"BF Maximized");
  const WindowHandle minimized = app.at(L"BF Minimized");
  const auto chosen = [&](WindowHandle window) {
    return window == plain || window == tabbed || window == maximized || window == minimized;
  };
  WINDOWPLACEMENT minimizedBefore{sizeof(WINDOWPLACEMENT)};
  GetWindowPlacement(ToHwnd(minimized), &minimizedBefore);
  std::map<WindowHandle, RECT> before;
  for (const auto& [title, window] : app) before[window] = Rect(window);

  ToggleHostStub host;
  FakeWindowWatch watch;
  WindowHiding hiding(panel, windows, watch, host);
  hiding.Choose({plain, tabbed, maximized, minimized});

  hiding.ToggleChosenWindows();
  ASSERT_TRUE(Eventually([&] { return !Visible(plain) && !Visible(tabbed) && !Visible(maximized) && !Visible(minimized); }));
  // A pop-up owned by a chosen window goes with it.
  const auto goesWithItsOwner = [&](WindowHandle window) { return window == app.at(L"BF Owned"); };
  ASSERT_TRUE(Eventually([&] { return !Visible(app.at(L"BF Owned")); }));
  for (const auto& [title, window] : app) {
    const bool wasVisible = title != L"BF Invisible";
    EXPECT_EQ(Visible(window), wasVisible && !chosen(window) && !goesWithItsOwner(window)) << Narrow(title);
  }

  hiding.ToggleChosenWindows();
  ASSERT_TRUE(Eventually([&] {
    return Visible(plain) && Visible(tabbed) && Visible(maximized) && Visible(minimized) &&
           Visible(app.at(L"BF Owned"));
  }));
  EXPECT_TRUE(IsZoomed(ToHwnd(maximized)));
  EXPECT_TRUE(IsIconic(ToHwnd(minimized)));
  WINDOWPLACEMENT minimizedAfter{sizeof(WINDOWPLACEMENT)};
  GetWindowPlacement(ToHwnd(minimized), &minimizedAfter);
  EXPECT_TRUE(EqualRect(&minimizedAfter.rcNormalPosition, &minimizedBefore.rcNormalPosition));
  for (const auto& [title, window] : app) {
    EXPECT_EQ(Visible(window), title != L"BF Invisible") << Narrow(title);
    const RECT rect = Rect(window);
    EXPECT_EQ(rect.left, before[window].left) << Narrow(title);
    EXPECT_EQ(rect.top, before[window].top) << Narrow(title);
    EXPECT_EQ(rect.right, before[window].right) << Narrow(title);
    EXPECT_EQ(rect.bottom, before[window].bottom) << Narrow(title);
  }
}

TEST_F(RealWindowsTest, TaskbarIsHiddenAndShownWithItsBox) {
  ToggleHostStub host;
  FakeWindowWatch watch;
  WindowHiding hiding(panel, windows, watch, host);
  panel.chkTaskbar.value = 1;
  hiding.ToggleChosenWindows();
  const WindowHandle taskbar = hiding.Hidden().Handles().at(0);
  EXPECT_EQ(std::to_string(taskbar.Value()), panel.chkTaskbar.tag);
  EXPECT_TRUE(Eventually([&] { return !Visible(taskbar); }));
  hiding.ToggleChosenWindows();
  EXPECT_TRUE(Eventually([&] { return Visible(taskbar); }));
}

TEST_F(RealWindowsTest, VanishedHandleIsSkipped) {
  ToggleHostStub host;
  FakeWindowWatch watch;
  WindowHiding hiding(panel, windows, watch, host);
  hiding.TakeOverHidden({WindowHandle(4660)});  // no such window
  hiding.ToggleChosenWindows();
  EXPECT_FALSE(hiding.WindowsHidden());
}

// The watch on the real platform: its program shows the hidden window again,
// and it is hidden again while this thread reads its messages.
TEST_F(RealWindowsTest, AWindowItsProgramShowsAgainIsHiddenAgain) {
  const auto app = AppWindows();
  const WindowHandle plain = app.at(L"BF Plain");
  ToggleHostStub host;
  Win32WindowWatch watch;
  WindowHiding hiding(panel, windows, watch, host);
  hiding.Choose({plain});
  hiding.ToggleChosenWindows();
  ASSERT_TRUE(EventuallyWithMessages([&] { return !Visible(plain); }));
  int looks = 0;
  EventuallyWithMessages([&] { return ++looks > 30; });  // a few looks while it stays hidden
  PostMessageW(ToHwnd(plain), WM_APP + 1, 0, 0);  // it shows itself
  ASSERT_TRUE(Eventually([&] { return Visible(plain); }));
  EXPECT_TRUE(EventuallyWithMessages([&] { return !Visible(plain); }));
  hiding.ToggleChosenWindows();
  EXPECT_TRUE(Eventually([&] { return Visible(plain); }));
}

}  // namespace
}  // namespace blindfold::win32
