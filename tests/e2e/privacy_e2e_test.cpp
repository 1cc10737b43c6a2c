// What the user hid stays hidden until the user shows it: every path to the
// hidden windows asks for the password, and nothing hidden comes back by
// itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "clean_machine_test.h"
#include "driver.h"

namespace blindfold::e2e {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// What the test program does when asked, as a program on its own would.
constexpr UINT kShowAgain = WM_APP + 1;
constexpr UINT kOpenWindow = WM_APP + 2;
constexpr UINT kOpenOwnedWindow = WM_APP + 3;
constexpr UINT kOpenStubbornWindow = WM_APP + 4;

// The windows among `windows` in stacking order, top first.
std::vector<HWND> Stacking(const std::vector<HWND>& windows) {
  std::vector<HWND> order;
  for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
    if (std::find(windows.begin(), windows.end(), window) != windows.end()) order.push_back(window);
  }
  return order;
}

class PrivacyE2E : public WithTestWindows {
 protected:
  // Watches the window titled `title` for `span` after `act`: how long it was
  // seen on screen, sampled, and whether it ended hidden.
  std::chrono::milliseconds TimeOnScreen(const std::wstring& title, const std::function<void()>& act,
                                         std::chrono::milliseconds span = 1500ms) {
    act();
    std::chrono::milliseconds seen{0};
    const auto end = Clock::now() + span;
    auto last = Clock::now();
    while (Clock::now() < end) {
      std::this_thread::sleep_for(5ms);
      const auto now = Clock::now();
      HWND window = AppWindow(title);
      if (window && Visible(window)) seen += std::chrono::duration_cast<std::chrono::milliseconds>(now - last);
      last = now;
    }
    return seen;
  }

};

TEST_F(PrivacyE2E, HiddenWindowsStayHiddenAndEveryWayBackAsksForThePassword) {
  WriteSetting(HKEY_LOCAL_MACHINE, L"Software\\Blindfold", L"AlwaysHide", L"x\tBfTestPlain  (class)");
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PPShowWindows", L"1");
  HWND plain = AppWindow(L"BF Plain");
  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);
  PressKeys({VK_LWIN, 'Z'});
  ASSERT_TRUE(WaitUntil([&] { return !Visible(plain); }));

  // Its program shows it again, opens a new window, opens one owned by it:
  // none of them is on screen long enough to be read.
  EXPECT_LT(TimeOnScreen(L"BF Plain", [&] { PostMessageW(plain, kShowAgain, 0, 0); }), 250ms);
  EXPECT_LT(TimeOnScreen(L"BF Opened later", [&] { PostMessageW(plain, kOpenWindow, 0, 0); }), 250ms);
  EXPECT_LT(TimeOnScreen(L"BF Owned later", [&] { PostMessageW(plain, kOpenOwnedWindow, 0, 0); }), 250ms);
  ASSERT_NE(AppWindow(L"BF Opened later"), nullptr);
  ASSERT_NE(AppWindow(L"BF Owned later"), nullptr);
  EXPECT_FALSE(Visible(AppWindow(L"BF Opened later")));

  // The panel's hotkey would show them with the panel: it asks, and a cancel
  // leaves everything as it was.
  PressKeys({VK_LWIN, 'X'});
  ASSERT_NE(WaitForShownWindow(blindfold.Id(), L"Login", /*foreground=*/true), nullptr);
  PressKeys({VK_ESCAPE});
  ASSERT_TRUE(WaitUntil([&] { return TopLevelWindows(blindfold.Id(), L"Login").empty() ||
                                     !Visible(TopLevelWindows(blindfold.Id(), L"Login").front()); }));
  std::this_thread::sleep_for(300ms);
  EXPECT_FALSE(Visible(plain));
  EXPECT_FALSE(Visible(panel));

  // Given the password (none is set, so OK passes), everything comes back.
  PressKeys({VK_LWIN, 'Z'});
  ASSERT_NE(WaitForShownWindow(blindfold.Id(), L"Login", /*foreground=*/true), nullptr);
  PressKeys({VK_RETURN});
  EXPECT_TRUE(WaitUntil([&] {
    return Visible(plain) && Visible(AppWindow(L"BF Opened later")) && Visible(AppWindow(L"BF Owned later"));
  }));
}

// A show tells every window and returns at once: a hide a moment later must
// still find them all.
TEST_F(PrivacyE2E, HidesPressedRightAfterAShowLeaveEveryWindowHidden) {
  WriteSetting(HKEY_LOCAL_MACHINE, L"Software\\Blindfold", L"AlwaysHide",
               L"x\tBfTestPlain  (class),x\tBfTestNoTitle  (class)");
  const std::vector<HWND> chosen = {AppWindow(L"BF Plain"), AppWindow(L"BF \u00dcberweisung \u2013 \u6771\u4eac"),
                                    TopLevelWindows(app_.dwProcessId, L"", L"BfTestNoTitle").front()};
  BlindfoldProcess blindfold;
  ASSERT_NE(blindfold.ShownPanel(), nullptr);
  const auto allHidden = [&] { return std::none_of(chosen.begin(), chosen.end(), Visible); };
  PressKeys({VK_LWIN, 'Z'});
  ASSERT_TRUE(WaitUntil(allHidden));
  for (int round = 0; round < 3; ++round) {
    PressKeys({VK_LWIN, 'Z'});  // show
    std::this_thread::sleep_for(std::chrono::milliseconds(15 * round));
    PressKeys({VK_LWIN, 'Z'});  // and hide again at once
    std::this_thread::sleep_for(500ms);
    std::string shown;
    for (HWND window : chosen) {
      if (Visible(window)) shown += " " + std::to_string(reinterpret_cast<std::uintptr_t>(window));
    }
    EXPECT_TRUE(allHidden()) << "round " << round << ", still shown:" << shown;
  }
  PressKeys({VK_LWIN, 'Z'});  // show, then panic at once
  PressKeys({VK_LWIN, 'V'});
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(allHidden());
}

// A window that its program shows again whenever it is hidden is given up on
// and named, the others stay hidden and come back stacked as they were with the
// user's window in front, and the rescue command brings back what a killed
// Blindfold left hidden.
TEST_F(PrivacyE2E, StubbornWindowIsGivenUpShowKeepsTheStackingAndRestoreRescues) {
  WriteSetting(HKEY_LOCAL_MACHINE, L"Software\\Blindfold", L"AlwaysHide",
               L"x\tBfTestPlain  (class),x\tBfTestStubborn  (class)");
  PostMessageW(AppWindow(L"BF Plain"), kOpenStubbornWindow, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return AppWindow(L"BF Stubborn") && Visible(AppWindow(L"BF Stubborn")); }));
  HWND stubborn = AppWindow(L"BF Stubborn");
  HWND users = AppWindow(L"BF Maximized");
  const std::vector<HWND> chosen = {AppWindow(L"BF Plain"), AppWindow(L"BF \u00dcberweisung \u2013 \u6771\u4eac"),
                                    users, AppWindow(L"BF Minimized")};
  const auto allHidden = [&] { return std::none_of(chosen.begin(), chosen.end(), Visible); };
  const auto allShown = [&] { return std::all_of(chosen.begin(), chosen.end(), Visible); };
  BlindfoldProcess blindfold;
  ASSERT_NE(blindfold.ShownPanel(), nullptr);
  SetForegroundWindow(users);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == users; }));
  const std::vector<HWND> before = Stacking(chosen);

  PressKeys({VK_LWIN, 'Z'});
  ASSERT_TRUE(WaitUntil(allHidden));
  // The keyboard left them before they went: none of them is active.
  EXPECT_EQ(std::count(chosen.begin(), chosen.end(), GetForegroundWindow()), 0);
  // Hidden again a few times, then left on screen for good.
  std::this_thread::sleep_for(3s);
  EXPECT_TRUE(Visible(stubborn));
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(Visible(stubborn));
  EXPECT_TRUE(allHidden());

  PressKeys({VK_LWIN, 'Z'});
  ASSERT_TRUE(WaitUntil(allShown));
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == users; }, 2s));
  EXPECT_EQ(Stacking(chosen), before);

  PressKeys({VK_LWIN, 'X'});
  HWND panel = WaitForShownWindow(blindfold.Id(), L"Blindfold");
  ASSERT_NE(panel, nullptr);
  HWND status = FindControl(panel, L"Kept coming back", L"Static", /*prefix=*/true);
  ASSERT_NE(status, nullptr);
  EXPECT_NE(TextOf(status).find(L"BF Stubborn"), std::wstring::npos);
  EXPECT_TRUE(Visible(status));

  PressKeys({VK_LWIN, 'Z'});
  ASSERT_TRUE(WaitUntil(allHidden));
  // Killed while the windows are hidden.
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, blindfold.Id());
  ASSERT_NE(process, nullptr);
  TerminateProcess(process, 1);
  WaitForSingleObject(process, 10000);
  CloseHandle(process);
  BlindfoldProcess rescue(BuiltBlindfold(), L"/restore");
  ASSERT_TRUE(rescue.WaitForExit(10s));
  EXPECT_EQ(rescue.ExitCode(), 0u);
  EXPECT_TRUE(WaitUntil(allShown));
  EXPECT_EQ(ReadSetting(HKEY_CURRENT_USER, L"Software\\Blindfold\\Recovery", L"HiddenWindows").value_or(L""), L"");
}

}  // namespace
}  // namespace blindfold::e2e
