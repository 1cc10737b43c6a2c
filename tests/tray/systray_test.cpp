#include "tray/systray.h"

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "main/fake_platform.h"
#include "settings/tray_gestures.h"

namespace blindfold {
namespace {

using Strings = std::vector<std::string>;

class SystrayTest : public testing::Test {
 protected:
  Tray MakeSystray() {
    return Tray(tray,
                      {[this] { return menuCode; }, [this] { return toggleCode; }, [this] { events.push_back("menu"); },
                       [this] { events.push_back("toggle"); }});
  }

  FakeTray tray;
  std::int32_t menuCode = 517;
  std::int32_t toggleCode = 513;
  Strings events;
};

TEST_F(SystrayTest, RemoveHandsBackTheIconThatWasAddedOrNoneAtAll) {
  Tray systray = MakeSystray();
  systray.RemoveTrayIcon();
  ASSERT_EQ(tray.deleted.size(), 1u);
  EXPECT_FALSE(tray.deleted[0].window);

  systray.AddTrayIcon(WindowHandle(0x2001c), 0x10101, 0x10202, "Quiet");
  ASSERT_EQ(tray.added.size(), 1u);
  const TrayIcon& icon = tray.added[0];
  EXPECT_EQ(icon.window, WindowHandle(0x2001c));
  EXPECT_EQ(icon.id, 0x10101);
  EXPECT_EQ(icon.icon, 0x10202);
  EXPECT_EQ(icon.tip, "Quiet");
  systray.RemoveTrayIcon();
  ASSERT_EQ(tray.deleted.size(), 2u);
  EXPECT_EQ(tray.deleted[1].id, 0x10101);
  EXPECT_EQ(tray.deleted[1].tip, "Quiet");
}

TEST_F(SystrayTest, HookIsInstalledOnceAndRemovedOnlyWhenInstalled) {
  Tray systray = MakeSystray();
  systray.UnhookTrayWindow();
  systray.HookTrayWindow(WindowHandle(1));
  systray.HookTrayWindow(WindowHandle(2));
  systray.UnhookTrayWindow();
  systray.UnhookTrayWindow();
  EXPECT_EQ(tray.log, (Strings{"hook", "unhook"}));
}

TEST(TrayGestures, StoredCodesNameTheNineGesturesInWindowsOrder) {
  EXPECT_EQ(GestureOfStoredCode(513), TrayGesture::LeftDown);
  EXPECT_EQ(GestureOfStoredCode(515), TrayGesture::LeftDoubleClick);
  EXPECT_EQ(GestureOfStoredCode(517), TrayGesture::RightUp);
  EXPECT_EQ(GestureOfStoredCode(521), TrayGesture::MiddleDoubleClick);
  for (const std::int32_t none : {0, 512, 522, -516, 1024}) EXPECT_EQ(GestureOfStoredCode(none), std::nullopt) << none;
}

struct GestureCase {
  std::int32_t menuCode;
  std::int32_t toggleCode;
  TrayGesture gesture;
  const char* expected;  // "" when nothing is done
};

class TrayGestureCases : public SystrayTest, public testing::WithParamInterface<GestureCase> {};

TEST_P(TrayGestureCases, MenuFirstThenToggleElseNothing) {
  menuCode = GetParam().menuCode;
  toggleCode = GetParam().toggleCode;
  Tray systray = MakeSystray();
  const bool matched = systray.Gesture(GetParam().gesture);
  const std::string expected = GetParam().expected;
  EXPECT_EQ(matched, !expected.empty());
  EXPECT_EQ(events, expected.empty() ? Strings{} : Strings{expected});
}

INSTANTIATE_TEST_SUITE_P(
    Gestures, TrayGestureCases,
    testing::Values(GestureCase{517, 513, TrayGesture::RightUp, "menu"},
                    GestureCase{517, 513, TrayGesture::LeftDown, "toggle"},
                    GestureCase{517, 513, TrayGesture::LeftUp, ""},
                    GestureCase{513, 513, TrayGesture::LeftDown, "menu"},  // equal codes: only the menu
                    GestureCase{0, 0, TrayGesture::LeftDown, ""},          // 0 switches an action off
                    GestureCase{0, 513, TrayGesture::RightUp, ""},
                    GestureCase{512, 1024, TrayGesture::LeftDown, ""},    // codes that name no gesture
                    GestureCase{516, 514, TrayGesture::RightDown, "menu"},
                    GestureCase{516, 514, TrayGesture::LeftUp, "toggle"}));

TEST_F(SystrayTest, CodesAreReadAfreshForEveryGesture) {
  Tray systray = MakeSystray();
  systray.Gesture(TrayGesture::MiddleUp);
  toggleCode = 520;
  systray.Gesture(TrayGesture::MiddleUp);
  EXPECT_EQ(events, Strings{"toggle"});
}

TEST_F(SystrayTest, GesturesReachTheTrayOnlyWhileHooked) {
  Tray systray = MakeSystray();
  EXPECT_EQ(tray.reporting, nullptr);
  systray.HookTrayWindow(WindowHandle(1));
  ASSERT_EQ(tray.reporting, &systray);
  tray.reporting->Gestured(TrayGesture::LeftDown);
  systray.UnhookTrayWindow();
  EXPECT_EQ(tray.reporting, nullptr);
  EXPECT_EQ(events, Strings{"toggle"});
}

TEST_F(SystrayTest, ShellRestartBringsTheIconBackOnlyWhenItWasShown) {
  Tray systray = MakeSystray();
  systray.TaskbarCreated();
  EXPECT_TRUE(tray.added.empty());
  systray.AddTrayIcon(WindowHandle(1), 2, 2, "tip");
  systray.TaskbarCreated();
  EXPECT_EQ(tray.added.size(), 2u);
  systray.RemoveTrayIcon();
  systray.TaskbarCreated();
  EXPECT_EQ(tray.added.size(), 2u);
}

class TrayFormTest : public testing::Test {
 protected:
  const std::string kKey = "HKLM\\Software\\Blindfold\\ShortcutKeys\\";
  FakePlatform fakes;
  MainWindow form{fakes.Get()};
};

TEST_F(TrayFormTest, WithoutDisplayIconThereIsNoIconAndShutdownStaysOnThePanel) {
  form.Load();
  EXPECT_TRUE(fakes.tray.log.empty());
  EXPECT_TRUE(form.panel.cmdShutdown.visible);
}

TEST_F(TrayFormTest, DisplayIconHooksThenAddsHidesThePanelAndTheShutdownButton) {
  fakes.registry.Set(kKey + "DisplayIcon", "1");
  fakes.registry.Set(kKey + "TrayIconTip", "Quiet");
  fakes.panelWindow.visible = true;
  form.Load();
  EXPECT_EQ(fakes.tray.log, (Strings{"hook", "add"}));
  EXPECT_EQ(fakes.tray.added[0].id, fakes.panelWindow.IconHandle());
  EXPECT_EQ(fakes.tray.added[0].tip, "Quiet");
  EXPECT_FALSE(fakes.panelWindow.visible);
  EXPECT_FALSE(form.panel.cmdShutdown.visible);

  form.ShutDown();  // the unload takes them away again
  EXPECT_EQ(fakes.tray.log, (Strings{"hook", "add", "unhook", "delete"}));
}

// What cannot be kept hidden is told in a balloon while the icon is shown,
// and only then.
TEST_F(TrayFormTest, AWindowNotHiddenIsToldInABalloonWhenTheIconIsShown) {
  const WindowHandle admin = fakes.windows.Add({.title = "Admin tool", .refusing = true});
  form.Load();
  form.hiding.Choose({admin});
  fakes.windowsHotkey.Press();
  EXPECT_TRUE(fakes.tray.balloons.empty());
  fakes.windowsHotkey.Press();

  fakes.registry.Set(kKey + "DisplayIcon", "1");
  MainWindow withIcon{fakes.Get()};
  withIcon.Load();
  withIcon.hiding.Choose({admin});
  fakes.windowsHotkey.Press();
  EXPECT_EQ(fakes.tray.balloons, (Strings{"Blindfold: Could not be hidden: Admin tool"}));
}

TEST_F(TrayFormTest, OnlyALowerCaseIcoPathReplacesTheWindowIcon) {
  fakes.registry.Set(kKey + "DisplayIcon", "1");
  fakes.registry.Set(kKey + "TrayIcon", "C:\\icons\\eye.ICO");
  form.Load();
  EXPECT_EQ(std::count(fakes.panelWindow.calls.begin(), fakes.panelWindow.calls.end(), "load icon C:\\icons\\eye.ICO"),
            0);

  FakePlatform other;
  MainWindow second{other.Get()};
  other.registry.Set(kKey + "DisplayIcon", "1");
  other.registry.Set(kKey + "TrayIcon", "C:\\icons\\eye.ico");
  second.Load();
  EXPECT_EQ(std::count(other.panelWindow.calls.begin(), other.panelWindow.calls.end(), "load icon C:\\icons\\eye.ico"), 1);
  EXPECT_EQ(other.tray.added[0].icon, other.panelWindow.IconHandle());
}

TEST_F(TrayFormTest, SavingReinstallsRemoveThenAddOnlyWhenPathOrTipChanged) {
  form.Load();
  form.cmdOK_Click();  // nothing stored yet: both texts are new
  EXPECT_EQ(fakes.tray.log, (Strings{"delete", "hook", "add"}));  // no hook to remove yet
  fakes.tray.log.clear();
  form.cmdOK_Click();
  EXPECT_TRUE(fakes.tray.log.empty());
  form.panel.txtTrayIconTip.text = "New tip";
  form.cmdOK_Click();
  EXPECT_EQ(fakes.tray.log, (Strings{"unhook", "delete", "hook", "add"}));
}

TEST_F(TrayFormTest, MenuGestureOpensTheMenuInItsOrderAndRunsTheChoice) {
  const WindowHandle a = fakes.windows.Add({.title = "A"});
  fakes.registry.Set(kKey + "DisplayIcon", "1");
  fakes.registry.Set(kKey + "TrayMenu", "517");
  form.Load();
  form.hiding.Choose({a});
  form.Do(Command::Toggle);

  fakes.tray.menuChoice = TrayMenuItem::Shutdown;
  EXPECT_TRUE(form.systray.Gesture(TrayGesture::RightUp));
  ASSERT_EQ(fakes.tray.shownMenu.size(), 5u);
  const auto entry = [&](std::size_t i) {
    return std::pair(fakes.tray.shownMenu[i].item, fakes.tray.shownMenu[i].caption);
  };
  EXPECT_EQ(entry(0), std::pair(TrayMenuItem::Lock, std::string("Lock")));
  EXPECT_EQ(entry(1).first, TrayMenuItem::Separator);
  EXPECT_EQ(entry(2), std::pair(TrayMenuItem::ShowUi, std::string("Show UI")));
  EXPECT_EQ(entry(3).first, TrayMenuItem::Separator);
  EXPECT_EQ(entry(4), std::pair(TrayMenuItem::Shutdown, std::string("Shutdown")));
  EXPECT_EQ(fakes.tray.log[fakes.tray.log.size() - 4], "foreground");  // before the menu
  EXPECT_TRUE(fakes.windows.Find(a)->visible);  // shown before the end
  EXPECT_TRUE(fakes.panelWindow.unloaded);
}

TEST_F(TrayFormTest, LockFromTheMenuGreysItself) {
  form.Load();
  fakes.tray.menuChoice = TrayMenuItem::Lock;
  form.OpenTrayMenu();
  EXPECT_FALSE(form.panel.mnuLock.enabled);
  fakes.tray.menuChoice = std::nullopt;
  form.OpenTrayMenu();
  EXPECT_FALSE(fakes.tray.shownMenu[0].enabled);
}

TEST_F(TrayFormTest, ShowUiShowsWindowsRefreshesAndShowsThePanelOnPageZero) {
  form.Load();
  form.panel.page = PanelPage::Stealth;
  fakes.tray.menuChoice = TrayMenuItem::ShowUi;
  form.OpenTrayMenu();
  EXPECT_TRUE(fakes.panelWindow.visible);
  EXPECT_EQ(form.panel.page, PanelPage::OpenWindows);
  EXPECT_EQ(form.panel.frmWindowList.caption.rfind("Open windows list - (", 0), 0u);
}

TEST_F(TrayFormTest, BrowseForIconUsesItsFilterAndTitleAndIgnoresACancel) {
  form.Load();
  const std::string before = form.panel.txtTrayIcon.text;
  form.BrowseForTrayIcon();
  EXPECT_EQ(fakes.tray.dialogFilter, "Icon Files(*.ico)|*.ico");
  EXPECT_EQ(fakes.tray.dialogExtension, "*.ico");
  EXPECT_EQ(fakes.tray.dialogTitle, "Browse for Blindfold tray icon");
  EXPECT_EQ(form.panel.txtTrayIcon.text, before);
  fakes.tray.chosenFile = "D:\\eye.ico";
  form.BrowseForTrayIcon();
  EXPECT_EQ(form.panel.txtTrayIcon.text, "D:\\eye.ico");
}

// Where the icon loader reads pictures, the dialog offers them and a chosen
// picture becomes the tray's icon; endings are still compared exactly.
TEST_F(TrayFormTest, APictureLoaderIsOfferedAndGivenPicturesOnly) {
  struct Case {
    const char* path;
    bool loaded;
  };
  for (const Case& c : {Case{"/home/ann/eye.png", true}, Case{"/home/ann/eye.svg", true},
                        Case{"/home/ann/eye.ico", true}, Case{"/home/ann/eye.PNG", false},
                        Case{"/home/ann/eye.bmp", false}, Case{"/home/ann/png", false}}) {
    SCOPED_TRACE(c.path);
    FakePlatform pictures;
    pictures.panelWindow.iconFiles = &kPictureIconFiles;
    pictures.registry.Set(kKey + "DisplayIcon", "1");
    MainWindow withPictures{pictures.Get()};
    withPictures.Load();
    withPictures.BrowseForTrayIcon();
    EXPECT_EQ(pictures.tray.dialogFilter, "Icon Files(*.png;*.svg;*.ico)|*.png;*.svg;*.ico");
    EXPECT_EQ(pictures.tray.dialogExtension, "*.png");
    pictures.tray.chosenFile = c.path;
    withPictures.BrowseForTrayIcon();
    withPictures.cmdOK_Click();
    const auto loads = std::count(pictures.panelWindow.calls.begin(), pictures.panelWindow.calls.end(),
                                  "load icon " + std::string(c.path));
    EXPECT_EQ(loads, c.loaded ? 1 : 0);
    EXPECT_EQ(pictures.tray.added.back().icon, pictures.panelWindow.IconHandle());
  }
}

TEST(TrayGestures, ChoosingAGestureGreysItOppositeAndFreesThePreviousOne) {
  PanelModel panel;
  SelectMenuGesture(panel, 3);
  EXPECT_FALSE(panel.optTrayHideWindows[3].enabled);
  SelectMenuGesture(panel, 1);
  EXPECT_TRUE(panel.optTrayHideWindows[3].enabled);
  EXPECT_FALSE(panel.optTrayHideWindows[1].enabled);
  EXPECT_TRUE(panel.optTrayMenu[1].value);
  EXPECT_FALSE(panel.optTrayMenu[3].value);
}

}  // namespace
}  // namespace blindfold
