#include "windows/recovery.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/main_window.h"
#include "app/password_key.h"
#include "app/restore.h"
#include "main/fake_platform.h"
#include "windows/window_toggle_host_stub.h"

namespace blindfold {
namespace {

const std::string kKey = "HKLM\\Software\\Blindfold\\ShortcutKeys\\";

TEST(RecoveryRecordText, RoundTripsAndSkipsWhatCannotBeRead) {
  // Any byte in a class survives: Latin-1, a line break, a NUL, a '%'.
  const std::vector<RecoveredWindow> windows = {{WindowHandle(1234), 88, "Notepad"},
                                                {WindowHandle(-5), 4000000000u, "With,comma"},
                                                {WindowHandle(7), 3, "Caf\xe9"},
                                                {WindowHandle(8), 3, std::string("two\nlines\r\0%41", 14)}};
  const std::string text = RecoveryRecord::Format(windows);
  EXPECT_EQ(RecoveryRecord::Parse(text), windows);
  EXPECT_TRUE(std::ranges::all_of(text, [](char c) { return c == '\n' || (c >= 0x20 && c < 0x7F); })) << text;
  EXPECT_EQ(std::ranges::count(text, '\n'), 4);
  EXPECT_EQ(RecoveryRecord::Parse("x,1,A\n0,1,B\n5,0,C\n5,-1,D\n5\n\n,,\n7,9,\n99999999999,1,E\n6,2,F"),
            (std::vector<RecoveredWindow>{{WindowHandle(7), 9, ""}, {WindowHandle(6), 2, "F"}}));
  EXPECT_EQ(RecoveryRecord::Parse("3,4,100%\n3,5,%zz%4"),
            (std::vector<RecoveredWindow>{{WindowHandle(3), 4, "100%"}, {WindowHandle(3), 5, "%zz%4"}}));
}

class RecoveryTest : public testing::Test {
 protected:
  WindowHandle Add(std::string title, std::uint32_t process = 100, std::string className = "Plain") {
    return fakes.windows.Add({.title = std::move(title), .className = std::move(className), .processId = process});
  }
  bool Visible(WindowHandle window) { return fakes.windows.Find(window)->visible; }
  std::optional<std::string> Durable() { return fakes.registry.Get(std::string(RecoveryRecord::kPath)); }

  FakePlatform fakes;
};

TEST_F(RecoveryTest, EveryHideIsDurableBeforeAnyWindowChangesAndEveryShowClearsIt) {
  const WindowHandle a = Add("A", 100, "Mail");
  const WindowHandle b = Add("B", 200, "Edit");
  MainWindow form{fakes.Get()};
  form.Load();
  form.hiding.Choose({a});
  fakes.windowsHotkey.Press();
  EXPECT_EQ(RecoveryRecord::Parse(Durable().value_or("")), (std::vector<RecoveredWindow>{{a, 100, "Mail"}}));

  fakes.panicHotkey.Press();  // added to, never cleared
  EXPECT_EQ(RecoveryRecord::Parse(Durable().value_or("")),
            (std::vector<RecoveredWindow>{{a, 100, "Mail"}, {b, 200, "Edit"}}));

  fakes.windowsHotkey.Press();
  EXPECT_EQ(Durable(), "");
}

TEST_F(RecoveryTest, RecordIsWrittenBeforeTheFirstWindowIsHidden) {
  const WindowHandle a = Add("A");
  MainWindow form{fakes.Get()};
  form.Load();
  form.hiding.Choose({a});
  fakes.registry.refusedRoots = {RegistryRoot::CurrentUser};  // the durable write fails...
  fakes.windowsHotkey.Press();
  EXPECT_FALSE(Visible(a));  // ...and hiding still works
}

TEST_F(RecoveryTest, AfterACrashOnlyOurStillHiddenWindowsComeBack) {
  const WindowHandle ours = Add("Ours", 100, "Mail");
  const WindowHandle reused = Add("Reused", 300, "Mail");    // same handle number, another process
  const WindowHandle renamed = Add("Renamed", 100, "Other");  // same process, another class
  const WindowHandle shown = Add("Shown", 100, "Mail");       // visible again already
  const WindowHandle selfHidden = Add("Self-hidden", 100, "Mail");
  for (const WindowHandle window : {ours, reused, renamed, selfHidden}) fakes.windows.Find(window)->visible = false;
  fakes.registry.Set(std::string(RecoveryRecord::kPath),
                     RecoveryRecord::Format({{ours, 100, "Mail"},
                                             {reused, 100, "Mail"},
                                             {renamed, 100, "Mail"},
                                             {shown, 100, "Mail"},
                                             {WindowHandle(777777), 100, "Mail"}}));
  MainWindow form{fakes.Get()};
  form.Load();
  EXPECT_TRUE(Visible(ours));
  EXPECT_FALSE(Visible(reused));
  EXPECT_FALSE(Visible(renamed));
  EXPECT_FALSE(Visible(selfHidden));  // never ours: not in the record
  EXPECT_FALSE(form.hiding.WindowsHidden());
  EXPECT_EQ(Durable(), "");
}

// Killed while the windows and the sound were hidden: whichever way they come
// back, the next start or the rescue command, the sound comes back with them
// at the level the user saved, as a show brings it back.
TEST_F(RecoveryTest, AfterACrashWhileMutedTheSoundComesBackWithTheWindows) {
  const WindowHandle a = Add("A", 100, "Mail");
  fakes.registry.Set(kKey + "bMute", "1");
  fakes.registry.Set(kKey + "SoundLevel", "40");
  {
    MainWindow killed{fakes.Get()};
    killed.Load();
    killed.hiding.Choose({a});
    fakes.windowsHotkey.Press();
  }
  ASSERT_EQ(fakes.mixer.values, std::vector<std::uint32_t>{0});
  const std::string record = Durable().value_or("");
  MainWindow next{fakes.Get()};
  next.Load();
  EXPECT_TRUE(Visible(a));
  EXPECT_EQ(fakes.mixer.values, (std::vector<std::uint32_t>{0, SoundControl::FaderValue(40)}));

  fakes.windows.Find(a)->visible = false;
  fakes.registry.Set(std::string(RecoveryRecord::kPath), record);
  fakes.mixer.values.clear();
  SettingsStore store(fakes.registry);
  RecoveryRecord rescue(fakes.registry, fakes.windows);
  PasswordGate gate(fakes.loginDialog, fakes.registry, fakes.crypto, fakes.background);
  EXPECT_TRUE(RestoreRecordedWindows(rescue, fakes.windows, fakes.mixer, store, gate));
  EXPECT_TRUE(Visible(a));
  EXPECT_EQ(fakes.mixer.values, std::vector<std::uint32_t>{SoundControl::FaderValue(40)});
}

TEST_F(RecoveryTest, WithTheShowGuardRecoveredWindowsWaitForThePassword) {
  const WindowHandle ours = Add("Ours", 100, "Mail");
  fakes.windows.Find(ours)->visible = false;
  fakes.registry.Set(std::string(RecoveryRecord::kPath), RecoveryRecord::Format({{ours, 100, "Mail"}}));
  fakes.registry.Set(kKey + "PPShowWindows", "1");
  MainWindow form{fakes.Get()};
  form.Load();
  EXPECT_FALSE(Visible(ours));
  EXPECT_TRUE(form.hiding.WindowsHidden());
  EXPECT_EQ(form.hiding.Hidden(), HiddenWindows{ours});
  EXPECT_NE(Durable().value_or(""), "");  // still durable until shown

  fakes.loginDialog.AnswerCancel();
  fakes.windowsHotkey.Press();
  EXPECT_FALSE(Visible(ours));
  fakes.loginDialog.AnswerWith("");  // no password stored: OK passes
  fakes.windowsHotkey.Press();
  EXPECT_TRUE(Visible(ours));
}

// No record could be kept: the windows' own marks name ours, and only a
// password that is not set lets them come back at once.
TEST_F(RecoveryTest, WithoutARecordTheMarksOfOurHiddenWindowsTell) {
  const WindowHandle ours = Add("Ours");
  const WindowHandle stranger = Add("Stranger");
  for (const WindowHandle window : {ours, stranger}) fakes.windows.Find(window)->visible = false;
  fakes.windows.sealedHidden = {ours};
  {
    MainWindow form{fakes.Get()};
    form.Load();
    EXPECT_TRUE(Visible(ours));
    EXPECT_FALSE(Visible(stranger));
  }
  fakes.windows.Find(ours)->visible = false;
  fakes.registry.Set(kKey + "PW", "a stored key");
  MainWindow form{fakes.Get()};
  form.Load();
  EXPECT_FALSE(Visible(ours));
  EXPECT_EQ(form.hiding.Hidden(), HiddenWindows{ours});
  EXPECT_EQ(form.panel.chkShowWindows.value, 1);
}

TEST_F(RecoveryTest, DyingShowsTheWindowsUnlessTheyNeedThePassword) {
  const WindowHandle a = Add("A");
  MainWindow form{fakes.Get()};
  form.Load();
  form.hiding.Choose({a});
  fakes.windowsHotkey.Press();
  form.panel.chkShowWindows.value = 1;
  form.ShowWindowsBeforeDying();
  EXPECT_FALSE(Visible(a));
  form.panel.chkShowWindows.value = 0;
  form.ShowWindowsBeforeDying();
  EXPECT_TRUE(Visible(a));
}

// The rescue command run while another Blindfold holds the windows hidden.
TEST_F(RecoveryTest, RestoreShowsTheRecordBottomUpOnceThePasswordIsGiven) {
  const WindowHandle top = Add("Top", 100, "Mail");
  const WindowHandle bottom = Add("Bottom", 200, "Edit");
  MainWindow running{fakes.Get()};
  running.Load();
  running.hiding.Choose({top, bottom});
  fakes.windowsHotkey.Press();
  fakes.registry.Set(kKey + "PPShowWindows", "1");  // stored after the hide
  ASSERT_FALSE(Visible(top) || Visible(bottom));

  SettingsStore store(fakes.registry);
  RecoveryRecord record(fakes.registry, fakes.windows);
  PasswordGate gate(fakes.loginDialog, fakes.registry, fakes.crypto, fakes.background);
  fakes.loginDialog.AnswerCancel();
  EXPECT_FALSE(RestoreRecordedWindows(record, fakes.windows, fakes.mixer, store, gate));
  EXPECT_FALSE(Visible(top) || Visible(bottom));
  EXPECT_NE(Durable().value_or(""), "");

  fakes.loginDialog.AnswerWith("");
  fakes.windows.toldToShowOrHide.clear();
  EXPECT_TRUE(RestoreRecordedWindows(record, fakes.windows, fakes.mixer, store, gate));
  EXPECT_EQ(fakes.windows.toldToShowOrHide, (std::vector<WindowHandle>{bottom, top}));
  EXPECT_EQ(fakes.windows.foreground, top);
  EXPECT_EQ(Durable(), "");
  EXPECT_EQ(fakes.loginDialog.shown, 2);
  // The running Blindfold lets them be, and its next press hides again.
  fakes.windowWatch.Tick();
  EXPECT_TRUE(Visible(top) && Visible(bottom));
  EXPECT_FALSE(running.hiding.WindowsHidden());
}

// The guard in force when the windows were hidden is the one that counts
// after a crash, whether it was stored, set by Lock, or stored as grey.
TEST_F(RecoveryTest, TheGuardInForceAtTheHideHoldsAfterACrash) {
  const WindowHandle a = Add("A", 100, "Mail");
  {
    MainWindow first{fakes.Get()};
    first.Load();
    first.hiding.Choose({a});
    fakes.windowsHotkey.Press();
    first.LockEverything();  // never saved
  }
  EXPECT_EQ(fakes.registry.Get(kKey + "PPShowWindows"), std::nullopt);
  MainWindow second{fakes.Get()};
  second.Load();
  EXPECT_FALSE(Visible(a));
  EXPECT_EQ(second.panel.chkShowWindows.value, 1);
  fakes.loginDialog.AnswerCancel();
  fakes.windowsHotkey.Press();
  EXPECT_FALSE(Visible(a));
  fakes.loginDialog.AnswerWith("");
  fakes.windowsHotkey.Press();
  EXPECT_TRUE(Visible(a));
}

TEST_F(RecoveryTest, AGreyGuardIsOnAndAForeignPerUserPasswordOpensNothing) {
  FakeCrypto crypto;
  const std::string key = MakePasswordKey(crypto, "pw").value();
  fakes.registry.Set(kKey + "PPShowWindows", "2");
  fakes.registry.Set(kKey + "PW", key);
  fakes.registry.Set("HKCU\\Software\\Blindfold\\ShortcutKeys\\PW", "");  // written behind our back
  const WindowHandle a = Add("A", 100, "Mail");
  MainWindow form{fakes.Get()};
  form.Load();
  EXPECT_EQ(form.panel.chkShowWindows.value, 1);
  EXPECT_EQ(form.panel.txtPassword.text, key);
  form.hiding.Choose({a});
  fakes.windowsHotkey.Press();
  fakes.loginDialog.AnswerWith("");
  fakes.windowsHotkey.Press();
  EXPECT_FALSE(Visible(a));
  fakes.loginDialog.AnswerWith("pw");
  fakes.windowsHotkey.Press();
  EXPECT_TRUE(Visible(a));
  form.cmdOK_Click();
  EXPECT_EQ(fakes.registry.Get(kKey + "PPShowWindows"), "1");

  // A standard user's own settings live per user: there they count.
  FakePlatform standard;
  standard.registry.refusedRoots.insert(RegistryRoot::LocalMachine);
  standard.registry.Set(kKey + "PW", key);
  standard.registry.Set("HKCU\\Software\\Blindfold\\ShortcutKeys\\PW", "");
  MainWindow user{standard.Get()};
  user.Load();
  EXPECT_EQ(user.panel.txtPassword.text, "");
}

// A program that was not answering got its hide after Blindfold died: at the
// next start its window may still be on screen with the hide on its way.
TEST_F(RecoveryTest, ARecordedWindowStillOnScreenIsToldToShowToo) {
  const WindowHandle slow = Add("Slow", 100, "Mail");
  fakes.registry.Set(std::string(RecoveryRecord::kPath), RecoveryRecord::Format({{slow, 100, "Mail"}}));
  MainWindow form{fakes.Get()};
  form.Load();
  ASSERT_FALSE(fakes.windows.toldToShowOrHide.empty());
  EXPECT_EQ(fakes.windows.toldToShowOrHide.back(), slow);
  EXPECT_TRUE(Visible(slow));
  EXPECT_EQ(Durable(), "");
}

TEST(RecoveryRecordText, ReadsNoMoreThanCouldHaveBeenWritten) {
  std::string text = "guarded\n";
  for (int i = 1; i <= 200000; ++i) text += std::to_string(i) + ",7,C\n";
  EXPECT_TRUE(RecoveryRecord::ParseGuarded(text));
  EXPECT_EQ(RecoveryRecord::Parse(text).size(), RecoveryRecord::kMostLines - 1);
}

}  // namespace
}  // namespace blindfold
