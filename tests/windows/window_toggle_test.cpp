#include "windows/window_toggle.h"

#include <gtest/gtest.h>

#include "core/texts.h"
#include "main/fake_platform.h"
#include "platform/fake/fake_window_watch.h"
#include "windows/always_hide.h"
#include "windows/window_toggle_host_stub.h"

namespace blindfold {
namespace {

using Strings = std::vector<std::string>;

HiddenWindows Record(std::initializer_list<WindowHandle> handles) { return HiddenWindows(handles); }

class WindowToggleTest : public testing::Test {
 protected:
  WindowHandle Add(std::string title, std::string className = "Plain", WindowRole role = WindowRole::Normal) {
    return windows.Add({.title = std::move(title), .className = std::move(className), .role = role});
  }
  bool Visible(WindowHandle window) { return windows.Find(window)->visible; }
  // The panel as the user left it: the list filled and some rows applied.
  void Apply(std::initializer_list<WindowHandle> chosen) {
    hiding.Choose(chosen);
  }

  FakeWindowManager windows;
  PanelModel panel;
  ToggleHostStub host;
  FakeWindowWatch watch;
  WindowHiding hiding{panel, windows, watch, host};
};

TEST_F(WindowToggleTest, HideThenShowTheChosenWindows) {
  const WindowHandle a = Add("A");
  const WindowHandle b = Add("B");
  const WindowHandle c = Add("C");
  Apply({c, a});
  // The windows go, and come back, before the audio device is asked to do
  // anything: it may take its time.
  bool goingHidden = true;
  host.onSound = [&] { EXPECT_EQ(Visible(a), !goingHidden); };

  hiding.ToggleChosenWindows();
  EXPECT_TRUE(hiding.WindowsHidden());
  EXPECT_FALSE(Visible(a));
  EXPECT_TRUE(Visible(b));
  EXPECT_FALSE(Visible(c));
  EXPECT_EQ(hiding.Hidden(), Record({a, c}));  // list order, not record order
  EXPECT_EQ(panel.frmWindowList.caption, "Open window list. (Found 3 windows.)");
  EXPECT_EQ(host.calls, (Strings{"close login", "hide panel", "mute"}));

  host.calls.clear();
  goingHidden = false;
  hiding.ToggleChosenWindows();
  EXPECT_FALSE(hiding.WindowsHidden());
  EXPECT_TRUE(Visible(a) && Visible(b) && Visible(c));
  EXPECT_EQ(hiding.Hidden(), Record({a, c}));  // kept for the next hide
  EXPECT_EQ(host.calls, (Strings{"restore"}));
}

TEST_F(WindowToggleTest, HideAndShowKeepTheStackingAndTheUsersWindow) {
  const WindowHandle top = Add("Top");
  const WindowHandle middle = Add("Middle");
  const WindowHandle other = Add("Other");
  const WindowHandle bottom = Add("Bottom");
  windows.foreground = middle;
  const std::vector<WindowHandle> before = windows.StackOrder();
  Apply({top, middle, bottom});
  hiding.ToggleChosenWindows();
  EXPECT_EQ(hiding.Hidden(), Record({top, middle, bottom}));
  EXPECT_EQ(windows.toldToShowOrHide, (std::vector<WindowHandle>{bottom, middle, top}));
  // In one pass, which a desktop may carry out as one command.
  EXPECT_EQ(windows.passes, (std::vector<std::vector<WindowHandle>>{{bottom, middle, top}}));
  EXPECT_EQ(windows.activated, (std::vector<WindowHandle>{other}));  // off the windows hiding

  windows.toldToShowOrHide.clear();
  windows.passes.clear();
  windows.activated.clear();
  hiding.ToggleChosenWindows();
  // Bottom up without activation, in one pass, then only the user's window is
  // activated.
  EXPECT_EQ(windows.toldToShowOrHide, (std::vector<WindowHandle>{bottom, middle, top}));
  EXPECT_EQ(windows.passes, (std::vector<std::vector<WindowHandle>>{{bottom, middle, top}}));
  EXPECT_EQ(windows.activated, (std::vector<WindowHandle>{middle}));
  EXPECT_EQ(windows.foreground, middle);
  // Back above the window left on screen, in their own order, but for the
  // user's window, which comes to the front as activated windows do.
  EXPECT_EQ(windows.StackOrder(), (std::vector<WindowHandle>{middle, top, bottom, other}));

  // With the user's window gone, the top one of those hidden gets the keyboard.
  windows.foreground = other;
  Apply({top, bottom});
  hiding.ToggleChosenWindows();
  windows.Find(other)->visible = false;
  hiding.ToggleChosenWindows();
  EXPECT_EQ(windows.activated.back(), top);
  EXPECT_EQ(before, (std::vector<WindowHandle>{top, middle, other, bottom}));
}

TEST_F(WindowToggleTest, AWindowThatMayNotBeHiddenIsLeftOutAndNamed) {
  const WindowHandle a = Add("A");
  const WindowHandle admin = Add("Admin tool");
  const WindowHandle b = Add("B");
  windows.Find(admin)->refusing = true;
  Apply({a, admin, b});
  hiding.ToggleChosenWindows();
  EXPECT_FALSE(Visible(a) || Visible(b));
  EXPECT_EQ(hiding.Hidden(), Record({a, b}));
  EXPECT_EQ(panel.lblHideStatus.caption, "Could not be hidden: Admin tool");
  EXPECT_EQ(host.calls.back(), "report Could not be hidden: Admin tool");

  windows.toldToShowOrHide.clear();
  hiding.ToggleChosenWindows();
  EXPECT_EQ(windows.toldToShowOrHide, (std::vector<WindowHandle>{b, a}));
}

TEST_F(WindowToggleTest, SecondPairHidesTheSameWindowsAgain) {
  const WindowHandle a = Add("A");
  Add("B");
  Apply({a});
  for (int i = 0; i < 2; ++i) {
    hiding.ToggleChosenWindows();
    EXPECT_FALSE(Visible(a));
    hiding.ToggleChosenWindows();
    EXPECT_TRUE(Visible(a));
  }
}

TEST_F(WindowToggleTest, UnappliedMarksDoNotCount) {
  const WindowHandle a = Add("A");
  const WindowHandle b = Add("B");
  Apply({a});
  hiding.RefreshWindowList();
  panel.openWindows.Row(1).marked = true;  // marked in the open panel, never applied

  hiding.ToggleChosenWindows();
  EXPECT_FALSE(Visible(a));
  EXPECT_TRUE(Visible(b));
}

// Whatever the shell gives the activation back to later must not be hidden.
TEST_F(WindowToggleTest, TheActivationLeavesTheWindowsThatHide) {
  const WindowHandle top = Add("Top");
  const WindowHandle find = windows.Add({.title = "Find", .className = "#32770", .owner = top});
  const WindowHandle minimised = windows.Add({.title = "Minimised", .className = "Plain", .minimised = true});
  const WindowHandle stays = Add("Stays");
  const WindowHandle bottom = Add("Bottom");
  const WindowHandle desktop = Add("Desktop", "Desktop", WindowRole::Desktop);

  // From a pop-up of a window that hides, past the minimised one, which an
  // activation would restore, to the top one that stays, in the burst of the
  // hides.
  windows.foreground = find;
  Apply({top, bottom});
  hiding.ToggleChosenWindows();
  EXPECT_EQ(windows.activated, (std::vector<WindowHandle>{stays}));
  EXPECT_TRUE(Visible(stays) && Visible(minimised));
  hiding.ToggleChosenWindows();

  // The user was in the panel, whose hiding handed the activation to a window
  // about to hide: it moves on from there.
  windows.activated.clear();
  windows.foreground = stays;
  host.onHidePanel = [&] { windows.foreground = top; };
  hiding.ToggleChosenWindows();
  EXPECT_EQ(windows.activated, (std::vector<WindowHandle>{stays}));
  host.onHidePanel = nullptr;
  hiding.ToggleChosenWindows();

  // Nothing listed stays in a panic: the desktop takes it.
  windows.activated.clear();
  windows.foreground = stays;
  hiding.PanicHide();
  EXPECT_EQ(windows.activated, (std::vector<WindowHandle>{desktop}));
  hiding.ToggleChosenWindows();

  // With the desktop hiding too, or the user in a window that stays, the
  // activation stays where it is.
  windows.activated.clear();
  panel.chkProgramManager.value = 1;
  hiding.PanicHide();
  hiding.ToggleChosenWindows();
  windows.foreground = stays;
  Apply({top});
  hiding.ToggleChosenWindows();
  EXPECT_EQ(windows.activated, (std::vector<WindowHandle>{stays}));  // only the show's own
}

// Activated, a window on another desktop would be brought over to this one,
// as some window managers do, and stay there after the show.
TEST_F(WindowToggleTest, TheActivationStaysOnTheDesktopTheUserLooksAt) {
  const WindowHandle top = Add("Top");
  windows.Add({.title = "Elsewhere", .className = "Plain", .onAnotherDesktop = true});
  const WindowHandle desktop = Add("Desktop", "Desktop", WindowRole::Desktop);
  windows.foreground = top;
  Apply({top});
  hiding.ToggleChosenWindows();
  EXPECT_EQ(windows.activated, (std::vector<WindowHandle>{desktop}));
}

TEST_F(WindowToggleTest, TaskbarThenDesktopThenWindows) {
  const WindowHandle a = Add("A");
  const WindowHandle b = Add("B");
  const WindowHandle desktop = Add("Desktop", "Desktop", WindowRole::Desktop);
  const WindowHandle taskbar = Add("", "Taskbar", WindowRole::Taskbar);
  panel.chkTaskbar.value = 1;
  panel.chkProgramManager.value = 1;
  bool desktopVisibleAtFlash = false;
  host.onFlash = [&] { desktopVisibleAtFlash = Visible(desktop); };
  Apply({a, b});

  hiding.ToggleChosenWindows();
  EXPECT_EQ(hiding.Hidden(), Record({taskbar, desktop, a, b}));
  EXPECT_EQ(windows.toldToShowOrHide, (std::vector<WindowHandle>{taskbar, desktop, b, a}));
  EXPECT_TRUE(desktopVisibleAtFlash);
  EXPECT_FALSE(Visible(taskbar) || Visible(desktop) || Visible(a));

  // Back first as well, and the windows bottom up after them.
  windows.toldToShowOrHide.clear();
  hiding.ToggleChosenWindows();
  EXPECT_EQ(windows.toldToShowOrHide, (std::vector<WindowHandle>{taskbar, desktop, b, a}));
  EXPECT_TRUE(Visible(taskbar) && Visible(desktop) && Visible(a));
}

TEST_F(WindowToggleTest, UnsetBoxesOrUnknownHandlesSkipTaskbarAndDesktop) {
  const WindowHandle taskbar = Add("", "Taskbar", WindowRole::Taskbar);
  panel.chkProgramManager.value = 1;  // set, but no desktop was ever met
  hiding.ToggleChosenWindows();
  EXPECT_TRUE(Visible(taskbar));
  EXPECT_TRUE(hiding.Hidden().Empty());
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "flash panel"), 0);
}

// A desktop whose bar is drawn by the window manager itself has no taskbar
// window: the ticked box is told of in the status line, on the hide, the
// panic and the list's refresh, and the windows hide all the same.
TEST_F(WindowToggleTest, ATickedTaskbarBoxWithNoTaskbarIsToldOf) {
  const WindowHandle a = Add("A");
  panel.chkTaskbar.value = 1;
  Apply({a});
  hiding.ToggleChosenWindows();
  EXPECT_FALSE(Visible(a));
  EXPECT_TRUE(panel.lblHideStatus.visible);
  EXPECT_EQ(panel.lblHideStatus.caption, texts::kNoTaskbarToHide);
  hiding.ToggleChosenWindows();

  panel.lblHideStatus = Label{"", false};
  hiding.PanicHide();
  EXPECT_FALSE(Visible(a));
  EXPECT_EQ(panel.lblHideStatus.caption, texts::kNoTaskbarToHide);
  hiding.ToggleChosenWindows();

  // With a taskbar, or with the box clear, nothing is said.
  panel.lblHideStatus = Label{"", false};
  panel.chkTaskbar.value = 0;
  hiding.RefreshWindowList();
  EXPECT_FALSE(panel.lblHideStatus.visible);
  Add("", "Taskbar", WindowRole::Taskbar);
  panel.chkTaskbar.value = 1;
  hiding.RefreshWindowList();
  EXPECT_FALSE(panel.lblHideStatus.visible);
}

// A desktop that keeps its bar or its background on screen greys the box it
// cannot honour from the first fill of the list, and the status line says why,
// in one line; the hide goes on without them.
TEST_F(WindowToggleTest, BoxesTheDesktopCannotHonourAreGreyedWithTheirReason) {
  struct Case {
    DesktopParts parts;
    std::string_view reason;
  };
  for (const Case& each : {Case{{.taskbar = false, .desktopIcons = false},
                                "Hide Taskbar and Hide desktop icons: this desktop keeps its bar and its background on "
                                "screen."},
                           Case{{.taskbar = false, .desktopIcons = true}, "Hide Taskbar: this desktop keeps its bar on screen."},
                           Case{{.taskbar = true, .desktopIcons = false},
                                "Hide desktop icons: this desktop keeps its background on screen."}}) {
    FakeWindowManager desktop;
    desktop.hideableParts = each.parts;
    PanelModel shown;
    shown.chkTaskbar.value = 1;
    FakeWindowWatch desktopWatch;
    ToggleHostStub desktopHost;
    WindowHiding greyed{shown, desktop, desktopWatch, desktopHost};
    greyed.FillOpenWindowsList();
    EXPECT_EQ(shown.chkTaskbar.enabled, each.parts.taskbar);
    EXPECT_EQ(shown.chkProgramManager.enabled, each.parts.desktopIcons);
    EXPECT_TRUE(shown.lblHideStatus.visible);
    EXPECT_EQ(shown.lblHideStatus.caption, each.reason);
    shown.lblHideStatus = Label{"", false};
    greyed.ToggleChosenWindows();
    EXPECT_EQ(shown.lblHideStatus.caption, each.reason) << "said again on the hide";
    greyed.ToggleChosenWindows();
  }
  hiding.FillOpenWindowsList();
  EXPECT_TRUE(panel.chkTaskbar.enabled && panel.chkProgramManager.enabled);
  EXPECT_FALSE(panel.lblHideStatus.visible);
}

TEST_F(WindowToggleTest, ClearingTheTaskbarBoxWhileHiddenStillShowsIt) {
  const WindowHandle taskbar = Add("", "Taskbar", WindowRole::Taskbar);
  panel.chkTaskbar.value = 1;
  hiding.ToggleChosenWindows();
  ASSERT_FALSE(Visible(taskbar));
  panel.chkTaskbar.value = 0;
  hiding.ToggleChosenWindows();
  EXPECT_TRUE(Visible(taskbar));
}

TEST_F(WindowToggleTest, NothingMarkedStillEntersHiddenState) {
  Add("A");
  hiding.Choose({WindowHandle(999)});
  hiding.ToggleChosenWindows();
  EXPECT_TRUE(hiding.WindowsHidden());
  EXPECT_TRUE(hiding.Hidden().Empty());
  EXPECT_TRUE(windows.toldToShowOrHide.empty());

  panel.chkShowWindows.value = 1;
  hiding.ToggleChosenWindows();
  EXPECT_EQ(host.calls.back(), "restore");
  EXPECT_FALSE(hiding.WindowsHidden());
}

TEST_F(WindowToggleTest, RefusedPasswordKeepsEverythingHidden) {
  const WindowHandle a = Add("A");
  Apply({a});
  panel.chkShowWindows.value = 1;
  hiding.ToggleChosenWindows();
  host.passwordAccepted = false;
  host.calls.clear();

  hiding.ToggleChosenWindows();
  EXPECT_EQ(host.calls, (Strings{"ask password"}));  // no sound restored
  EXPECT_TRUE(hiding.WindowsHidden());
  EXPECT_FALSE(Visible(a));

  host.passwordAccepted = true;
  hiding.ToggleChosenWindows();
  EXPECT_TRUE(Visible(a));
  EXPECT_FALSE(hiding.WindowsHidden());
}

TEST_F(WindowToggleTest, PasswordIsNotAskedWhenTheSwitchIsOff) {
  const WindowHandle a = Add("A");
  Apply({a});
  host.passwordAccepted = false;
  hiding.ToggleChosenWindows();
  hiding.ToggleChosenWindows();
  EXPECT_TRUE(Visible(a));
}

TEST_F(WindowToggleTest, ClosedWindowIsSkippedAndTheOthersShown) {
  const WindowHandle a = Add("A");
  const WindowHandle b = Add("B");
  Apply({a, b});
  hiding.ToggleChosenWindows();
  windows.Remove(a);
  hiding.ToggleChosenWindows();
  EXPECT_TRUE(Visible(b));
  EXPECT_EQ(hiding.Hidden(), Record({a, b}));
}

// Round after round of panic on top of a hide, each window is shown once.
TEST_F(WindowToggleTest, EachWindowIsShownOnceHoweverOftenItWasHidden) {
  const WindowHandle a = Add("A");
  const WindowHandle b = Add("B");
  hiding.TakeOverHidden({a, a});
  hiding.ToggleChosenWindows();
  EXPECT_EQ(windows.toldToShowOrHide, (std::vector<WindowHandle>{a}));
  Apply({a});
  for (int round = 0; round < 3; ++round) {
    hiding.ToggleChosenWindows();
    hiding.PanicHide();
    windows.toldToShowOrHide.clear();
    hiding.ToggleChosenWindows();
    EXPECT_EQ(windows.toldToShowOrHide.size(), 2u);
  }
  EXPECT_EQ(hiding.Hidden().Size(), 2u);
  EXPECT_TRUE(Visible(a) && Visible(b));
}

TEST_F(WindowToggleTest, AlwaysHideEntriesJoinTheHideByClass) {
  const WindowHandle mail = Add("Inbox", "MailWnd");
  const WindowHandle draft = Add("Draft", "MailWnd");
  const WindowHandle editor = Add("notes", "EditWnd");
  panel.alwaysHide.AddItem("Old title\tMailWnd  (class)");
  hiding.ToggleChosenWindows();
  EXPECT_FALSE(Visible(mail));
  EXPECT_FALSE(Visible(draft));
  EXPECT_TRUE(Visible(editor));
}

TEST_F(WindowToggleTest, AProgramEntryHidesThatProgramsWindowsAndNotItsClassmates) {
  const WindowHandle player = windows.Add({.title = "Call", .className = "Chromium", .programPath = "/opt/player"});
  const WindowHandle browser = windows.Add({.title = "Call", .className = "Chromium", .programPath = "/opt/browser"});
  panel.alwaysHide.AddItem(ProgramEntryText("/opt/player"));
  panel.alwaysHide.SetCurrentRow(0);
  hiding.ToggleChosenWindows();
  EXPECT_FALSE(Visible(player));
  EXPECT_TRUE(Visible(browser));
}

TEST_F(WindowToggleTest, SelectedAlwaysHideEntryMatchesByTitle) {
  const WindowHandle mail = Add("Inbox", "MailWnd");
  const WindowHandle draft = Add("Draft", "MailWnd");
  panel.alwaysHide.AddItem("Inbox\tOtherClass  (class)");
  panel.alwaysHide.SetCurrentRow(0);
  hiding.ToggleChosenWindows();
  EXPECT_FALSE(Visible(mail));
  EXPECT_TRUE(Visible(draft));
}

TEST_F(WindowToggleTest, ShowHiddenWindowsNeitherAsksNorTouchesSound) {
  const WindowHandle a = Add("A");
  Apply({a});
  panel.chkShowWindows.value = 1;
  host.passwordAccepted = false;
  hiding.ToggleChosenWindows();
  host.calls.clear();

  hiding.ShowHiddenWindows();
  EXPECT_TRUE(host.calls.empty());
  EXPECT_TRUE(Visible(a));
  EXPECT_FALSE(hiding.WindowsHidden());
  EXPECT_EQ(hiding.Hidden(), Record({a}));

  hiding.ShowHiddenWindows();  // nothing hidden: harmless
  EXPECT_FALSE(hiding.WindowsHidden());
}

TEST_F(WindowToggleTest, HandleZeroIsSkippedAndVanishedWindowsHoldUpNothing) {
  const WindowHandle a = Add("A", "Plain");
  const WindowHandle b = Add("B", "Plain");
  windows.Find(a)->visible = false;
  windows.Find(b)->visible = false;
  hiding.TakeOverHidden({WindowHandle(0), a, WindowHandle(123456), b});
  hiding.ToggleChosenWindows();
  EXPECT_TRUE(Visible(a) && Visible(b));
  EXPECT_EQ(windows.toldToShowOrHide, (std::vector<WindowHandle>{b, WindowHandle(123456), a}));
}

// The main window's part of the toggle: the flash of the panel before the
// desktop window is hidden.
class MainWindowToggleTest : public testing::Test {
 protected:
  FakePlatform fakes;
  FakeWindowManager& windows = fakes.windows;
  FakeRegistry& registry = fakes.registry;
  FakePanelWindow& panelWindow = fakes.panelWindow;
  MainWindow form{fakes.Get()};
};

TEST_F(MainWindowToggleTest, FlashEndsHiddenAtFullSizeWithItsBorder) {
  windows.Add({.title = "Desktop", .className = "Desktop", .role = WindowRole::Desktop});
  form.panel.chkProgramManager.value = 1;
  panelWindow.visible = true;
  form.Do(Command::Toggle);
  EXPECT_EQ(panelWindow.calls, (Strings{"hide", "border none", "size 1x1", "show", "hide",
                                        "border fixed single", "size 8325x5955"}));
  EXPECT_FALSE(panelWindow.visible);
}

}  // namespace
}  // namespace blindfold
