#include "app/password.h"

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/password_key.h"
#include "main/fake_platform.h"

namespace blindfold {
namespace {

const std::string kPasswordPath = "HKLM\\Software\\Blindfold\\ShortcutKeys\\PW";

TEST(PasswordKey, RightPasswordMatchesAndWrongOneDoesNot) {
  FakeCrypto crypto;
  const auto key = MakePasswordKey(crypto, "s3cret");
  ASSERT_TRUE(key);
  EXPECT_TRUE(PasswordMatchesKey(crypto, "s3cret", *key));
  EXPECT_FALSE(PasswordMatchesKey(crypto, "s3cret ", *key));
  EXPECT_FALSE(PasswordMatchesKey(crypto, "", *key));
}

TEST(PasswordKey, IsSelfDescribingSaltedAndNeverHoldsThePassword) {
  FakeCrypto crypto;
  const auto first = MakePasswordKey(crypto, "hunter2");
  const auto second = MakePasswordKey(crypto, "hunter2");
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);  // two salts
  EXPECT_EQ(first->rfind("pbkdf2-sha256$600000$", 0), 0u);
  EXPECT_EQ(first->find("hunter2"), std::string::npos);
  const auto fields = *first;
  EXPECT_EQ(std::count(fields.begin(), fields.end(), '$'), 3);
}

TEST(PasswordKey, DamagedStoredKeysNeverMatch) {
  FakeCrypto crypto;
  for (const char* stored : {"x", "pbkdf2-sha256$600000$$", "pbkdf2-sha256$0$c2FsdA==$aGFzaA==",
                             "pbkdf2-sha256$99999999999$c2FsdA==$aGFzaA==", "pbkdf2-sha256$10$c2FsdA=$aGFzaA==",
                             "pbkdf2-sha1$10$c2FsdA==$aGFzaA==", "pbkdf2-sha256$10$c2FsdA==$aGFzaA==$"}) {
    EXPECT_FALSE(PasswordMatchesKey(crypto, "", stored)) << stored;
  }
  crypto.derivations = 0;
  PasswordMatchesKey(crypto, "", "pbkdf2-sha256$99999999999$c2FsdA==$aGFzaA==");
  EXPECT_EQ(crypto.derivations, 0);  // a huge stored cost is refused, not run
}

TEST(PasswordKey, Base64RoundTripsEveryLength) {
  std::vector<std::uint8_t> bytes;
  for (int length = 0; length < 10; ++length) {
    EXPECT_EQ(DecodeBase64(EncodeBase64(bytes)), bytes);
    bytes.push_back(static_cast<std::uint8_t>(length * 91));
  }
  EXPECT_EQ(EncodeBase64(std::vector<std::uint8_t>{'M', 'a'}), "TWE=");
  EXPECT_EQ(DecodeBase64("TW=E"), std::nullopt);
  EXPECT_EQ(DecodeBase64("TWE"), std::nullopt);
}

TEST(PasswordKey, WipeLeavesNothingBehind) {
  std::string text = "secret";
  const char* characters = text.data();
  WipeText(text);
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(std::string(characters, 6), std::string(6, '\0'));
}

class PasswordGateTest : public testing::Test {
 protected:
  void SetPassword(const std::string& password) {
    form.panel.txtPassword.text = password;
    form.SetPasswordFromPanel();
  }
  WindowHandle HideOneWindow() {
    const WindowHandle a = fakes.windows.Add({.title = "A"});
    form.Load();
    form.hiding.Choose({a});
    fakes.windowsHotkey.Press();
    return a;
  }

  FakePlatform fakes;
  MainWindow form{fakes.Get()};
};

TEST_F(PasswordGateTest, NoPasswordPassesOnOkWhateverWasTypedButNotOnCancel) {
  fakes.loginDialog.AnswerWith("anything");
  EXPECT_TRUE(form.passwordGate.AskPassword());
  fakes.loginDialog.AnswerCancel();
  EXPECT_FALSE(form.passwordGate.AskPassword());
  fakes.registry.Set(kPasswordPath, "");
  fakes.loginDialog.AnswerWith("");
  EXPECT_TRUE(form.passwordGate.AskPassword());
}

TEST_F(PasswordGateTest, StoredKeyAdmitsOnlyItsPassword) {
  SetPassword("open sesame");
  EXPECT_NE(form.panel.txtPassword.text, "open sesame");  // the box shows the key now
  EXPECT_EQ(fakes.registry.Get(kPasswordPath), form.panel.txtPassword.text);
  fakes.loginDialog.AnswerWith("open sesame");
  EXPECT_TRUE(form.passwordGate.AskPassword());
  fakes.loginDialog.AnswerWith("open sesame!");
  EXPECT_FALSE(form.passwordGate.AskPassword());
  EXPECT_FALSE(form.passwordGate.frmLogin().loaded);  // unloaded after every request
}

TEST_F(PasswordGateTest, SetPasswordWithTheKeyStillShownChangesNothing) {
  SetPassword("first");
  const std::string key = form.panel.txtPassword.text;
  form.SetPasswordFromPanel();  // unchanged box
  EXPECT_EQ(fakes.registry.Get(kPasswordPath), key);
  fakes.loginDialog.AnswerWith("first");
  EXPECT_TRUE(form.passwordGate.AskPassword());
}

// While the box shows the stored key, a new password is only what the user put
// in: with any of the key in it, neither password would open the Login dialog.
TEST_F(PasswordGateTest, AnEditOfTheShownKeyKeepsOnlyWhatWasTyped) {
  SetPassword("first");
  const std::string key = form.panel.txtPassword.text;
  ASSERT_GT(key.size(), 10u);
  struct Edit {
    std::string after;
    std::string kept;
  };
  for (const auto& [after, kept] : std::vector<Edit>{
           {key + "xyz", "xyz"},                                     // typed at its end
           {"n" + key, "n"},                                         // at its start
           {key.substr(0, 5) + "mid" + key.substr(5), "mid"},        // in its middle
           {key.substr(0, key.size() - 1), ""},                      // one character deleted
           {"Pasted over", "Pasted over"},                           // all of it replaced
           {"password", "password"},                                 // by a text as it begins
           {"pbkdf2", "pbkdf2"},
           {"x" + key.substr(key.size() - 1), "x" + key.substr(key.size() - 1)},  // or as it ends
           {key + "\xc3\xa9t\xc3\xa9", "\xc3\xa9t\xc3\xa9"}}) {  // not ASCII
    form.panel.txtPassword.text = key;
    form.panel.txtPassword.replacedOnEdit = true;
    form.TextChanged(Control::txtPassword, after);
    EXPECT_EQ(form.panel.txtPassword.text, kept) << after;
    EXPECT_FALSE(form.panel.txtPassword.replacedOnEdit);
  }
  // The edits after the first are ordinary ones.
  form.TextChanged(Control::txtPassword, "\xc3\xa9t\xc3\xa9!");
  EXPECT_EQ(form.panel.txtPassword.text, "\xc3\xa9t\xc3\xa9!");

  form.panel.txtPassword.text = key;
  form.panel.txtPassword.replacedOnEdit = true;
  form.TextChanged(Control::txtPassword, key + "second");
  form.SetPasswordFromPanel();
  const std::string secondKey = form.panel.txtPassword.text;
  EXPECT_TRUE(form.panel.txtPassword.replacedOnEdit);
  fakes.loginDialog.AnswerWith("second");
  EXPECT_TRUE(form.passwordGate.AskPassword());
  for (const std::string& refused : {std::string("first"), key + "second"}) {
    fakes.loginDialog.AnswerWith(refused);
    EXPECT_FALSE(form.passwordGate.AskPassword()) << refused;
  }

  // After a restart the box holds the stored key the same way.
  MainWindow restarted{fakes.Get()};
  restarted.Load();
  EXPECT_EQ(restarted.panel.txtPassword.text, secondKey);
  EXPECT_TRUE(restarted.panel.txtPassword.replacedOnEdit);
}

TEST_F(PasswordGateTest, SetPasswordWithAnEmptyBoxRemovesThePassword) {
  SetPassword("first");
  SetPassword("");
  EXPECT_EQ(fakes.registry.Get(kPasswordPath), "");
  fakes.loginDialog.AnswerWith("whatever");
  EXPECT_TRUE(form.passwordGate.AskPassword());
}

TEST_F(PasswordGateTest, TypedPasswordIsWipedAfterTheCheck) {
  SetPassword("pw");
  bool checked = false;
  fakes.loginDialog.user = [&](FakeLoginDialog::Buttons& buttons) {
    // Looked at while the dialog still holds the form: the gate resets the
    // form once the dialog has gone, wiped or not.
    buttons.Type("pw");
    buttons.ok();
    EXPECT_TRUE(buttons.form.txtPassword.empty());
    checked = true;
  };
  EXPECT_TRUE(form.passwordGate.AskPassword());
  EXPECT_TRUE(checked);
}

TEST_F(PasswordGateTest, SecondRequestWhileTheDialogWaitsFailsBoth) {
  bool inner = true;
  fakes.loginDialog.user = [&](FakeLoginDialog::Buttons&) { inner = form.passwordGate.AskPassword(); };
  EXPECT_FALSE(form.passwordGate.AskPassword());
  EXPECT_FALSE(inner);
  EXPECT_EQ(fakes.loginDialog.shown, 1);  // never a second dialog
}

TEST_F(PasswordGateTest, ToggleArrivingWhileTheShowAsksLeavesWindowsHidden) {
  const WindowHandle a = HideOneWindow();
  form.panel.chkShowWindows.value = 1;
  fakes.loginDialog.user = [&](FakeLoginDialog::Buttons&) { fakes.windowsHotkey.Press(); };
  fakes.windowsHotkey.Press();
  EXPECT_FALSE(fakes.windows.Find(a)->visible);
  EXPECT_TRUE(form.hiding.WindowsHidden());
}

TEST_F(PasswordGateTest, CallerTable) {
  SetPassword("pw");
  const WindowHandle a = HideOneWindow();

  // Showing the windows.
  form.panel.chkShowWindows.value = 1;
  fakes.loginDialog.AnswerWith("wrong");
  fakes.windowsHotkey.Press();
  EXPECT_FALSE(fakes.windows.Find(a)->visible);
  fakes.loginDialog.AnswerWith("pw");
  fakes.windowsHotkey.Press();
  EXPECT_TRUE(fakes.windows.Find(a)->visible);

  // Showing the panel: a failure still leaves page 0 selected.
  form.panel.chkShowBlindfold.value = 1;
  form.panel.page = PanelPage::About;
  fakes.loginDialog.AnswerCancel();
  fakes.panelHotkey.Press();
  EXPECT_FALSE(fakes.panelWindow.visible);
  EXPECT_EQ(form.panel.page, PanelPage::OpenWindows);
  fakes.loginDialog.AnswerWith("pw");
  fakes.panelHotkey.Press();
  EXPECT_TRUE(fakes.panelWindow.visible);
  const int shownBefore = fakes.loginDialog.shown;
  fakes.panelHotkey.Press();  // hiding never asks
  EXPECT_EQ(fakes.loginDialog.shown, shownBefore);
  EXPECT_FALSE(fakes.panelWindow.visible);

  // Shutting down.
  form.panel.chkShutdownBlindfold.value = 1;
  fakes.loginDialog.AnswerWith("nope");
  form.ShutDown();
  EXPECT_FALSE(fakes.panelWindow.unloaded);
  fakes.loginDialog.AnswerWith("pw");
  form.ShutDown();
  EXPECT_TRUE(fakes.panelWindow.unloaded);
}

// Showing the panel or ending the program shows the hidden windows too, so
// while the show-windows guard holds them every such path asks, once.
TEST_F(PasswordGateTest, EveryPathThatShowsHiddenWindowsAsksOnce) {
  SetPassword("pw");
  const WindowHandle a = HideOneWindow();
  form.panel.chkShowWindows.value = 1;
  const auto stillHidden = [&] { return !fakes.windows.Find(a)->visible && form.hiding.WindowsHidden(); };

  fakes.loginDialog.AnswerCancel();
  fakes.panelHotkey.Press();
  EXPECT_TRUE(stillHidden());
  EXPECT_FALSE(fakes.panelWindow.visible);
  form.ShowPanelFromTray();
  EXPECT_TRUE(stillHidden());
  EXPECT_FALSE(fakes.panelWindow.visible);
  form.ShutDown();
  EXPECT_TRUE(stillHidden());
  EXPECT_FALSE(fakes.panelWindow.unloaded);
  EXPECT_EQ(fakes.loginDialog.shown, 3);

  // Both guards on one path: one dialog.
  form.panel.chkShowBlindfold.value = 1;
  fakes.loginDialog.AnswerWith("pw");
  form.ShowPanelFromTray();
  EXPECT_EQ(fakes.loginDialog.shown, 4);
  EXPECT_FALSE(stillHidden());
  EXPECT_TRUE(fakes.panelWindow.visible);

  // With nothing hidden the panel's own guard alone decides.
  form.panel.chkShowBlindfold.value = 0;
  fakes.panelWindow.visible = false;
  fakes.panelHotkey.Press();
  EXPECT_EQ(fakes.loginDialog.shown, 4);
  EXPECT_TRUE(fakes.panelWindow.visible);
}

TEST_F(PasswordGateTest, KeysAreDerivedInTheBackgroundWhileHotkeysStillAct) {
  const WindowHandle a = HideOneWindow();
  fakes.windowsHotkey.Press();  // shown again, no guard yet
  fakes.background.hold = true;

  // Setting: the panel waits, panic still hides, then the key is stored.
  form.panel.txtPassword.text = "pw";
  form.SetPasswordFromPanel();
  EXPECT_TRUE(form.panel.busy);
  EXPECT_EQ(form.panel.lblPasswordStatus.caption, "Setting the password...");
  EXPECT_EQ(fakes.registry.Get(kPasswordPath), std::nullopt);
  fakes.panicHotkey.Press();
  EXPECT_FALSE(fakes.windows.Find(a)->visible);
  fakes.background.Finish();
  EXPECT_FALSE(form.panel.busy);
  EXPECT_EQ(form.panel.lblPasswordStatus.caption, "Password set.");
  EXPECT_EQ(fakes.registry.Get(kPasswordPath), form.panel.txtPassword.text);

  // Checking: a hide while the check runs closes the dialog, and the late
  // answer opens nothing.
  form.panel.chkShowWindows.value = 1;
  fakes.loginDialog.user = [&](FakeLoginDialog::Buttons& buttons) {
    buttons.Type("pw");
    buttons.ok();
    form.passwordGate.CloseLoginDialog();
  };
  EXPECT_FALSE(form.passwordGate.AskPassword());
  fakes.background.Finish();
  EXPECT_FALSE(form.passwordGate.frmLogin().LoginSucceeded);
  // Left to finish while the dialog waits, the right password passes.
  fakes.loginDialog.user = [&](FakeLoginDialog::Buttons& buttons) {
    buttons.Type("pw");
    buttons.ok();
    buttons.ok();  // pressed again meanwhile: still one check
    EXPECT_EQ(fakes.background.pending.size(), 1u);
    fakes.background.Finish();
  };
  EXPECT_TRUE(form.passwordGate.AskPassword());

  // Too long for the box: refused before any key is derived.
  const std::string key = form.panel.txtPassword.text;
  form.panel.txtPassword.text = std::string(256, 'x') + "\xC3\xA9";
  form.SetPasswordFromPanel();
  EXPECT_EQ(form.panel.lblPasswordStatus.caption, "Not set: 256 characters at most.");
  EXPECT_TRUE(fakes.background.pending.empty());
  EXPECT_EQ(fakes.registry.Get(kPasswordPath), key);
  form.panel.txtPassword.text = std::string(255, 'x') + "\xC3\xA9";
  form.SetPasswordFromPanel();
  EXPECT_EQ(fakes.background.pending.size(), 1u);
}

TEST_F(PasswordGateTest, DamagedStoredKeyIsReportedOnceAtStartAndStillAdmitsNoOne) {
  for (const char* guard : {"PPShowWindows", "PPShowBlindfold", "PPShutdown"}) {
    fakes.registry.Set("HKLM\\Software\\Blindfold\\ShortcutKeys\\" + std::string(guard), "1");
  }
  fakes.registry.Set("HKCU\\Software\\Blindfold\\ShortcutKeys\\PW", "pbkdf2-sha256$600000$c2FsdA==");
  form.Load();
  ASSERT_EQ(fakes.messageBoxes.shown.size(), 1u);
  EXPECT_NE(fakes.messageBoxes.shown[0].prompt.find("\"PW\" in HKEY_CURRENT_USER\\Software\\Blindfold\\ShortcutKeys"),
            std::string::npos);
  EXPECT_EQ(form.panel.chkShowWindows.value, 1);
  fakes.loginDialog.AnswerWith("");
  EXPECT_FALSE(form.passwordGate.AskPassword());

  // Where the settings are a text file, the message names it and the line,
  // never the Registry Editor.
  FakePlatform onLinux;
  onLinux.registry.settingsFile = "/home/u/.config/blindfold/settings.ini";
  onLinux.registry.Set("HKCU\\Software\\Blindfold\\ShortcutKeys\\PW", "pbkdf2-sha256$600000$c2FsdA==");
  MainWindow linuxForm{onLinux.Get()};
  linuxForm.Load();
  ASSERT_EQ(onLinux.messageBoxes.shown.size(), 1u);
  const std::string& prompt = onLinux.messageBoxes.shown[0].prompt;
  EXPECT_NE(prompt.find("open the file /home/u/.config/blindfold/settings.ini in a text editor and delete the line "
                        "that starts with \"PW=\" below the line [Software/Blindfold/ShortcutKeys]"),
            std::string::npos)
      << prompt;
  EXPECT_EQ(prompt.find("Registry"), std::string::npos);

  // A sound key, or none, says nothing.
  for (const std::string& stored : {std::string(""), *MakePasswordKey(fakes.crypto, "pw")}) {
    FakePlatform sound;
    sound.registry.Set(kPasswordPath, stored);
    MainWindow started{sound.Get()};
    started.Load();
    EXPECT_TRUE(sound.messageBoxes.shown.empty());
  }
}

TEST_F(PasswordGateTest, HidingNeverAsks) {
  form.panel.chkShowWindows.value = 1;
  form.panel.chkShowBlindfold.value = 1;
  HideOneWindow();
  fakes.panicHotkey.Press();
  EXPECT_EQ(fakes.loginDialog.shown, 0);
}

TEST_F(PasswordGateTest, LockTurnsEveryGuardOnAndApplyReenablesIt) {
  form.LockEverything();
  EXPECT_EQ(form.panel.chkShowWindows.value, 1);
  EXPECT_EQ(form.panel.chkShowBlindfold.value, 1);
  EXPECT_EQ(form.panel.chkShutdownBlindfold.value, 1);
  EXPECT_FALSE(form.panel.mnuLock.enabled);

  form.cmdOK_Click();  // all three on: stays disabled
  EXPECT_FALSE(form.panel.mnuLock.enabled);
  form.panel.mnuLock.enabled = true;
  form.cmdOK_Click();  // and an enabled one stays enabled
  EXPECT_TRUE(form.panel.mnuLock.enabled);

  for (CheckBox* guard : {&form.panel.chkShowWindows, &form.panel.chkShutdownBlindfold, &form.panel.chkShowBlindfold}) {
    form.LockEverything();
    guard->value = 0;
    form.cmdOK_Click();
    EXPECT_TRUE(form.panel.mnuLock.enabled);
  }
}

// A command from a later start goes through the same gate as its hotkey, and
// tells its sender when the password was not given.
TEST_F(PasswordGateTest, CommandsAnswerRefusedWhenThePasswordIsNotGiven) {
  SetPassword("open sesame");
  form.panel.chkShowWindows.value = 1;
  const WindowHandle a = HideOneWindow();
  ASSERT_FALSE(fakes.windows.Find(a)->visible);

  fakes.loginDialog.AnswerWith("wrong");
  EXPECT_EQ(fakes.commands.Receive(Command::Toggle), CommandOutcome::Refused);
  EXPECT_FALSE(fakes.windows.Find(a)->visible);
  fakes.loginDialog.AnswerCancel();
  EXPECT_EQ(fakes.commands.Receive(Command::Quit), CommandOutcome::Refused);
  EXPECT_FALSE(form.shuttingDown);

  fakes.loginDialog.AnswerWith("open sesame");
  EXPECT_EQ(fakes.commands.Receive(Command::Toggle), CommandOutcome::Done);
  EXPECT_TRUE(fakes.windows.Find(a)->visible);
  // Hiding needs no password, nor does a panic.
  const int asked = fakes.loginDialog.shown;
  EXPECT_EQ(fakes.commands.Receive(Command::Panic), CommandOutcome::Done);
  EXPECT_FALSE(fakes.windows.Find(a)->visible);
  EXPECT_EQ(fakes.loginDialog.shown, asked);
  EXPECT_EQ(fakes.commands.Receive(Command::Quit), CommandOutcome::Done);
  EXPECT_TRUE(form.shuttingDown);
  EXPECT_TRUE(fakes.windows.Find(a)->visible);
}

}  // namespace
}  // namespace blindfold
