#include "app/main_window.h"

#include <gtest/gtest.h>

#include "main/fake_platform.h"
#include "settings/schema.h"

namespace blindfold {
namespace {

const std::string kKey = "HKLM\\Software\\Blindfold\\ShortcutKeys\\";

class MainWindowTest : public testing::Test {
 protected:
  WindowHandle AddWindow(std::string title, std::string className = "Plain", WindowRole role = WindowRole::Normal) {
    return fakes.windows.Add({.title = std::move(title), .className = std::move(className), .role = role});
  }
  bool Visible(WindowHandle window) { return fakes.windows.Find(window)->visible; }
  // A shown panel with no tray icon, whose key another program holds from the
  // next arming on. The tray's file and tip were saved before: saving them again
  // does not bring the icon up.
  void ShowPanelWithoutTrayIconAndPanelKeyHeld() {
    fakes.registry.Set(kKey + "DisplayIcon", "0");
    form.Load();
    fakes.registry.Set(std::string(kTrayIcon.path), form.panel.txtTrayIcon.text);
    fakes.registry.Set(std::string(kTrayIconTip.path), form.panel.txtTrayIconTip.text);
    fakes.panelWindow.visible = true;
    fakes.panelHotkey.refuse = true;
  }

  FakePlatform fakes;
  MainWindow form{fakes.Get()};
};

TEST_F(MainWindowTest, LoadReadsArmsListsAndLabels) {
  const WindowHandle mail = AddWindow("Inbox", "MailWnd");
  AddWindow("Draft", "MailWnd");
  fakes.registry.Set(kKey + "WindowsShortcutKey", "0,1,1,0,K");
  fakes.registry.Set("HKLM\\Software\\Blindfold\\AlwaysHide", "Inbox\tMailWnd  (class)");

  form.Load();
  EXPECT_EQ(fakes.windowsHotkey.Current(), (HotkeyCombination{false, true, true, false, 'K'}));
  EXPECT_EQ(fakes.panelHotkey.Current(), (HotkeyCombination{true, false, false, false, 'X'}));
  EXPECT_EQ(fakes.panicHotkey.Current(), (HotkeyCombination{true, false, false, false, 'V'}));
  EXPECT_EQ(form.panel.openWindows.tabStops, (std::vector<std::int32_t>{240, 400}));
  EXPECT_EQ(form.panel.alwaysHide.tabStops, (std::vector<std::int32_t>{240, 400}));
  EXPECT_EQ(form.panel.page, PanelPage::OpenWindows);
  EXPECT_EQ(form.panel.frmWindowList.caption, "Open windows list (2 windows found.)");
  EXPECT_EQ(form.panel.openWindows.CurrentRow(), 0u);
  // The whole-text rule at load: only the same title and class.
  EXPECT_TRUE(form.panel.openWindows.Row(0).marked);
  EXPECT_EQ(form.panel.openWindows.Row(0).itemData, mail);
  EXPECT_FALSE(form.panel.openWindows.Row(1).marked);
  EXPECT_EQ(form.panel.lblVersion.caption, "Version 1.3.10");
}

TEST_F(MainWindowTest, CloseRequestsHideUnlessWindowsEndsOrWeShutDown) {
  form.Load();
  fakes.panelWindow.visible = true;
  for (const CloseReason reason : {CloseReason::ControlMenu, CloseReason::Code, CloseReason::TaskManager}) {
    fakes.panelWindow.visible = true;
    EXPECT_FALSE(form.MayUnload(reason));
    EXPECT_FALSE(fakes.panelWindow.visible);
  }
  EXPECT_TRUE(form.MayUnload(CloseReason::WindowsEnding));
  form.shuttingDown = true;
  EXPECT_TRUE(form.MayUnload(CloseReason::ControlMenu));
}

TEST_F(MainWindowTest, ShutdownShowsHiddenWindowsThenUnloads) {
  const WindowHandle a = AddWindow("A");
  form.Load();
  form.hiding.Choose({a});
  form.Do(Command::Toggle);
  ASSERT_FALSE(Visible(a));

  form.ShutDownClicked();
  EXPECT_TRUE(Visible(a));
  EXPECT_TRUE(form.shuttingDown);
  EXPECT_TRUE(fakes.panelWindow.unloaded);
  EXPECT_EQ(form.panel.frmWindowList.caption.rfind("Open windows list - (1 windows found)", 0), 0u);
}

TEST_F(MainWindowTest, GuardedShutdownWithRefusedPasswordChangesNothing) {
  const WindowHandle a = AddWindow("A");
  form.Load();
  form.hiding.Choose({a});
  form.Do(Command::Toggle);
  form.panel.chkShutdownBlindfold.value = 1;
  fakes.registry.Set(kKey + "PW", "a stored key");

  form.ShutDown();
  EXPECT_FALSE(fakes.panelWindow.unloaded);
  EXPECT_FALSE(form.shuttingDown);
  EXPECT_FALSE(Visible(a));
}

TEST_F(MainWindowTest, HotkeysRunTheirOperations) {
  const WindowHandle a = AddWindow("A");
  form.Load();
  form.hiding.Choose({a});
  fakes.windowsHotkey.Press();
  EXPECT_FALSE(Visible(a));
  fakes.windowsHotkey.Press();
  EXPECT_TRUE(Visible(a));
}

TEST_F(MainWindowTest, PanelHotkeyTwiceShowsThenAppliesAndHides) {
  const WindowHandle a = AddWindow("A");
  const WindowHandle b = AddWindow("B");
  form.Load();
  form.hiding.Choose({a});
  fakes.windowsHotkey.Press();  // a hidden
  form.panel.page = PanelPage::About;

  fakes.panelHotkey.Press();
  EXPECT_TRUE(fakes.panelWindow.visible);
  EXPECT_TRUE(Visible(a));  // shown before the panel
  EXPECT_FALSE(form.hiding.WindowsHidden());
  EXPECT_EQ(form.panel.page, PanelPage::OpenWindows);
  ASSERT_EQ(form.panel.openWindows.ListCount(), 2u);
  EXPECT_TRUE(form.panel.openWindows.Row(0).marked);  // marked again from the record

  form.panel.openWindows.Row(1).marked = true;  // the user marks B
  fakes.panelHotkey.Press();
  EXPECT_FALSE(fakes.panelWindow.visible);
  EXPECT_EQ(form.hiding.Hidden(), (HiddenWindows{a, b}));
  EXPECT_EQ(fakes.registry.Get(kKey + "WindowsShortcutKey"), "1,0,0,0,Z");  // saved
}

TEST_F(MainWindowTest, ApplyMarksAlwaysHideRowsAgainAndHides) {
  const WindowHandle a = AddWindow("A");
  AddWindow("B");
  fakes.registry.Set("HKLM\\Software\\Blindfold\\AlwaysHide", "A\tPlain  (class)");
  form.Load();
  form.panel.openWindows.Row(0).marked = false;  // deselected by the user
  fakes.panelWindow.visible = true;
  form.cmdOK_Click();
  EXPECT_EQ(form.hiding.Hidden(), HiddenWindows{a});
  EXPECT_FALSE(fakes.panelWindow.visible);
}

TEST_F(MainWindowTest, ApplyThatCannotSaveKeepsThePanelAndSaysWhat) {
  form.Load();
  fakes.registry.refusedRoots = {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser};
  fakes.panelWindow.visible = true;
  form.cmdOK_Click();
  EXPECT_TRUE(fakes.panelWindow.visible);
  ASSERT_EQ(fakes.messageBoxes.shown.size(), 1u);
  EXPECT_NE(fakes.messageBoxes.shown[0].prompt.find("BlindfoldShortcutKey"), std::string::npos);
  EXPECT_EQ(fakes.messageBoxes.shown[0].title, "Blindfold");
}

// A panel key another program holds, and no tray icon: no hide of the panel
// may leave the user without a way back to it.
TEST_F(MainWindowTest, APanelWithoutAWayBackStaysOrLeavesTheTrayIconBehind) {
  const WindowHandle a = AddWindow("A");
  ShowPanelWithoutTrayIconAndPanelKeyHeld();
  form.cmdOK_Click();  // refused while running, by the save's arming
  EXPECT_TRUE(fakes.panelWindow.visible);
  EXPECT_EQ(form.panel.page, PanelPage::Hotkeys);
  ASSERT_EQ(fakes.messageBoxes.shown.size(), 1u);
  EXPECT_EQ(fakes.messageBoxes.shown[0].prompt, texts::kPanelKeptOpen);
  EXPECT_FALSE(form.CloseRequested(CloseReason::ControlMenu));  // Esc, the close box
  EXPECT_TRUE(fakes.panelWindow.visible);
  EXPECT_TRUE(fakes.tray.added.empty());

  // Hiding the windows takes the panel with them; the tray icon stays behind.
  form.hiding.Choose({a});
  fakes.windowsHotkey.Press();
  EXPECT_FALSE(fakes.panelWindow.visible);
  EXPECT_TRUE(fakes.tray.iconShown);
  ASSERT_EQ(fakes.tray.balloons.size(), 1u);
  fakes.tray.menuChoice = TrayMenuItem::ShowUi;
  fakes.tray.reporting->Gestured(TrayGesture::RightUp);
  EXPECT_TRUE(fakes.panelWindow.visible);
  form.cmdOK_Click();
  EXPECT_FALSE(fakes.panelWindow.visible);
}

TEST_F(MainWindowTest, ATickedTrayBoxIsTheWayBackAtOnce) {
  ShowPanelWithoutTrayIconAndPanelKeyHeld();
  form.panel.chkDisplayIcon.value = 1;
  form.cmdOK_Click();
  EXPECT_FALSE(fakes.panelWindow.visible);
  EXPECT_TRUE(fakes.tray.iconShown);
  EXPECT_TRUE(fakes.messageBoxes.shown.empty());
}

TEST_F(MainWindowTest, PanicHidesEveryListedWindowOnTopOfTheToggle) {
  const WindowHandle a = AddWindow("A");
  const WindowHandle b = AddWindow("B");
  const WindowHandle taskbar = AddWindow("", "Taskbar", WindowRole::Taskbar);
  const WindowHandle desktop = AddWindow("Desktop", "Desktop", WindowRole::Desktop);
  form.Load();
  form.panel.chkTaskbar.value = 1;
  form.panel.chkProgramManager.value = 1;
  form.hiding.Choose({a});
  fakes.windowsHotkey.Press();  // the toggle hides the taskbar, the desktop and a
  const HiddenWindows afterToggle = form.hiding.Hidden();
  ASSERT_EQ(afterToggle, (HiddenWindows{taskbar, desktop, a}));

  fakes.panicHotkey.Press();
  EXPECT_FALSE(Visible(b));
  // Appended, never cleared, and each window once.
  HiddenWindows afterPanic = afterToggle;
  for (const WindowHandle window : {b, desktop, taskbar}) afterPanic.Add(window);
  EXPECT_EQ(form.hiding.Hidden(), afterPanic);
  EXPECT_TRUE(form.hiding.WindowsHidden());

  fakes.windowsHotkey.Press();  // one show brings back both sets
  EXPECT_TRUE(Visible(a) && Visible(b) && Visible(taskbar) && Visible(desktop));
}

TEST_F(MainWindowTest, PanicOnAnEmptyListChangesOnlyTheState) {
  form.Load();
  form.hiding.Choose({WindowHandle(5)});
  fakes.panicHotkey.Press();
  EXPECT_EQ(form.hiding.Hidden(), HiddenWindows{WindowHandle(5)});
  EXPECT_TRUE(form.hiding.WindowsHidden());
}

TEST_F(MainWindowTest, PanicHidesDesktopThenTaskbarAfterTheWindows) {
  const WindowHandle a = AddWindow("A");
  const WindowHandle taskbar = AddWindow("", "Taskbar", WindowRole::Taskbar);
  const WindowHandle desktop = AddWindow("Desktop", "Desktop", WindowRole::Desktop);
  form.Load();
  form.panel.chkTaskbar.value = 1;
  form.panel.chkProgramManager.value = 1;
  fakes.panicHotkey.Press();
  EXPECT_EQ(form.hiding.Hidden(), (HiddenWindows{a, desktop, taskbar}));
  EXPECT_TRUE(form.panel.openWindows.Row(0).marked);
  EXPECT_EQ(std::count(fakes.panelWindow.calls.begin(), fakes.panelWindow.calls.end(), "border none"), 0);
}

}  // namespace
}  // namespace blindfold

namespace blindfold {
namespace {

TEST(MainWindowAbout, AcknowledgmentsOpenWithALineOrNotAtAllWhenSwitchedOff) {
  FakePlatform fakes;
  MainWindow form{fakes.Get()};
  fakes.files.files["C:\\Program Files\\Blindfold\\acknowledgments.TXT"] = "only line\r\n";
  form.ShowAcknowledgments();
  EXPECT_EQ(fakes.tipsDialog.shown, 1);
  EXPECT_EQ(fakes.tipsDialog.lastText, "only line");

  fakes.registry.Set("HKCU\\Software\\Blindfold\\Blindfold\\Options\\Show Tips at Startup", "0");
  form.ShowAcknowledgments();
  EXPECT_EQ(fakes.tipsDialog.shown, 1);
}

TEST(MainWindowAbout, LinksGoToTheShellAndAFailureWarnsOnce) {
  FakePlatform fakes;
  MainWindow form{fakes.Get()};
  form.CheckForUpdates();
  form.Help();
  ASSERT_EQ(fakes.shell.addressRequests.size(), 2u);
  EXPECT_EQ(fakes.shell.addressRequests[0], "https://blindfold.example/BlindfoldUpdates.asp?version=1.3.10");
  EXPECT_TRUE(fakes.messageBoxes.shown.empty());
  fakes.shell.refuseAddresses = true;
  form.VisitForum();
  EXPECT_EQ(fakes.messageBoxes.shown.size(), 1u);
}

// The audio device is looked for only once it is needed; until then the mute
// box holds the stored choice, and a save keeps it.
TEST_F(MainWindowTest, TheAudioDeviceIsLookedForWhenFirstNeeded) {
  fakes.mixer.hasDevice = false;
  fakes.registry.Set(kKey + "bMute", "0");
  form.Load();
  EXPECT_EQ(fakes.mixer.opened, 0);
  form.cmdOK_Click();
  EXPECT_EQ(fakes.registry.Get(kKey + "bMute"), "0");
  PanelEvents& events = form;
  events.PageSelected(PanelPage::Settings);
  EXPECT_EQ(fakes.mixer.opened, 1);
  EXPECT_FALSE(form.panel.chkMute.enabled);  // no device: greyed, as before
  form.Do(Command::Toggle);
  EXPECT_EQ(fakes.mixer.opened, 1);  // once

  FakePlatform other;
  MainWindow second{other.Get()};
  second.Load();
  second.Do(Command::Toggle);  // the first hide mutes
  EXPECT_EQ(other.mixer.opened, 1);
}

// "Mute only the hidden programs": the hide mutes the hidden window's
// program's streams and leaves the speakers and the other programs alone; the
// show unmutes them and still leaves the speakers as they are.
TEST_F(MainWindowTest, MutingOnlyTheHiddenProgramsLeavesTheSpeakersAndTheOtherSound) {
  const WindowHandle call = fakes.windows.Add({.title = "Call", .processId = 10});
  fakes.windows.Add({.title = "Music", .processId = 20});
  fakes.mixer.streams = {{.id = 1, .processes = {10}}, {.id = 2, .processes = {20}}};
  fakes.registry.Set(kKey + "bMute", "1");
  fakes.registry.Set(kKey + "bMuteHiddenPrograms", "1");
  form.Load();
  ASSERT_TRUE(form.panel.chkMutePrograms.IsSet());
  form.hiding.Choose({call});
  form.Do(Command::Toggle);
  EXPECT_FALSE(Visible(call));
  EXPECT_TRUE(fakes.mixer.streams[0].muted);
  EXPECT_FALSE(fakes.mixer.streams[1].muted);
  form.Do(Command::Toggle);
  EXPECT_TRUE(Visible(call));
  EXPECT_FALSE(fakes.mixer.streams[0].muted);
  EXPECT_TRUE(fakes.mixer.values.empty());  // the master volume was never set

  // Shut down while hidden, the windows and their program's sound come back.
  form.Do(Command::Toggle);
  EXPECT_TRUE(fakes.mixer.streams[0].muted);
  form.ShutDown();
  EXPECT_TRUE(Visible(call));
  EXPECT_FALSE(fakes.mixer.streams[0].muted);
  EXPECT_TRUE(fakes.mixer.values.empty());
}

TEST_F(MainWindowTest, WithoutMutingOnlyTheHiddenProgramsTheMasterVolumeIsMutedAsBefore) {
  const WindowHandle call = fakes.windows.Add({.title = "Call", .processId = 10});
  fakes.mixer.streams = {{.id = 1, .processes = {10}}};
  fakes.registry.Set(kKey + "bMute", "1");
  form.Load();
  form.hiding.Choose({call});
  form.Do(Command::Toggle);
  form.Do(Command::Toggle);
  EXPECT_EQ(fakes.mixer.values.size(), 2u);
  EXPECT_FALSE(fakes.mixer.streams[0].muted);
}

}  // namespace
}  // namespace blindfold
