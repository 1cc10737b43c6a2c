#include "settings/registry_loader.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_registry.h"
#include "settings/schema.h"

namespace blindfold {
namespace {

constexpr const char* kDefaultIcon = "C:\\Tools\\Blindfold\\bf.ico";
const std::string kKey = "HKLM\\Software\\Blindfold\\ShortcutKeys\\";

class RegistryLoaderTest : public testing::Test {
 protected:
  void Load() {
    SettingsStore store(registry);
    LoadSettings(store, panel, kDefaultIcon);
  }
  std::vector<int> Modifiers(std::size_t hotkey) const {
    std::vector<int> states;
    for (const CheckBox& box : panel.hotkeys[static_cast<HotkeyId>(hotkey)].modifiers) states.push_back(box.value);
    return states;
  }
  static std::vector<std::string> Entries(const ListBox& list) {
    std::vector<std::string> texts;
    for (const ListRow& row : list.Rows()) texts.push_back(row.text);
    return texts;
  }

  FakeRegistry registry;
  PanelModel panel;
};

TEST_F(RegistryLoaderTest, FreshStoreGetsExactlyTheThreeHotkeyDefaults) {
  Load();
  EXPECT_EQ(registry.ValueCount(), 3u);
  EXPECT_EQ(registry.Get(kKey + "BlindfoldShortcutKey"), "1,0,0,0,X");
  EXPECT_EQ(registry.Get(kKey + "WindowsShortcutKey"), "1,0,0,0,Z");
  EXPECT_EQ(registry.Get(kKey + "PanicShortcutKey"), "1,0,0,0,V");

  for (std::size_t h = 0; h < 3; ++h) EXPECT_EQ(Modifiers(h), (std::vector<int>{1, 0, 0, 0}));
  EXPECT_EQ(HotkeyKeyBox(panel, HotkeyId::Panel).text, "X");
  EXPECT_EQ(HotkeyKeyBox(panel, HotkeyId::Windows).text, "Z");
  EXPECT_EQ(HotkeyKeyBox(panel, HotkeyId::Panic).text, "V");
  EXPECT_EQ(panel.txtTrayIcon.text, "C:\\Tools\\Blindfold\\bf.ico");
  EXPECT_EQ(panel.trayIconFile, panel.txtTrayIcon.text);
  EXPECT_EQ(panel.trayMenuCode, 0);
  EXPECT_EQ(panel.trayToggleCode, 0);
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_FALSE(panel.optTrayMenu[i].value);
    EXPECT_FALSE(panel.optTrayHideWindows[i].value);
  }
  for (const CheckBox* box : {&panel.chkMute, &panel.chkStartHidden, &panel.chkStartWithWindows,
                              &panel.chkShowBlindfold, &panel.chkShowWindows,
                              &panel.chkShutdownBlindfold, &panel.chkDisplayIcon,
                              &panel.chkProgramManager, &panel.chkTaskbar}) {
    EXPECT_EQ(box->value, 0);
  }
  EXPECT_EQ(panel.alwaysHide.ListCount(), 0u);
  EXPECT_EQ(panel.txtPassword.text, "");
}

TEST_F(RegistryLoaderTest, EmptyHotkeyTextIsReplacedByTheDefault) {
  registry.Set(kKey + "WindowsShortcutKey", "");
  Load();
  EXPECT_EQ(registry.Get(kKey + "WindowsShortcutKey"), "1,0,0,0,Z");
}

TEST_F(RegistryLoaderTest, StoredHotkeyTextIsUsedUnchanged) {
  registry.Set(kKey + "PanicShortcutKey", "0,1,1,0,K");
  Load();
  EXPECT_EQ(registry.Get(kKey + "PanicShortcutKey"), "0,1,1,0,K");
  EXPECT_EQ(Modifiers(2), (std::vector<int>{0, 1, 1, 0}));
  EXPECT_EQ(HotkeyKeyBox(panel, HotkeyId::Panic).text, "K");
}

// A stored windows hotkey and what the panel shows after loading it: anything
// but five well-formed fields counts as missing, so the default comes back.
struct StoredHotkeyCase {
  const char* stored;
  std::vector<int> modifiers;
  const char* key;
};

class StoredHotkeyText : public RegistryLoaderTest, public testing::WithParamInterface<StoredHotkeyCase> {};

TEST_P(StoredHotkeyText, IsUsedOnlyWhenWellFormed) {
  registry.Set(kKey + "WindowsShortcutKey", GetParam().stored);
  ModifierBox(panel, HotkeyId::Windows, Modifier::Alt).value = 1;  // whatever the box showed before does not survive
  Load();
  EXPECT_EQ(Modifiers(1), GetParam().modifiers);
  EXPECT_EQ(HotkeyKeyBox(panel, HotkeyId::Windows).text, GetParam().key);
  const bool isDefault = GetParam().modifiers == std::vector<int>{1, 0, 0, 0} && std::string(GetParam().key) == "Z";
  EXPECT_EQ(registry.Get(kKey + "WindowsShortcutKey"), isDefault ? "1,0,0,0,Z" : GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StoredHotkeyText,
    testing::Values(StoredHotkeyCase{"0,1,1,0,K", {0, 1, 1, 0}, "K"},
                    StoredHotkeyCase{"0,2,0,1,7", {0, 2, 0, 1}, "7"},
                    StoredHotkeyCase{"0,0,0,0,Q", {0, 0, 0, 0}, "Q"},  // read as stored; arming refuses it
                    StoredHotkeyCase{"Win+Z", {1, 0, 0, 0}, "Z"},
                    StoredHotkeyCase{"abc", {1, 0, 0, 0}, "Z"},
                    StoredHotkeyCase{"-1", {1, 0, 0, 0}, "Z"},
                    StoredHotkeyCase{"4294967295", {1, 0, 0, 0}, "Z"},
                    StoredHotkeyCase{"99999999999999999999999", {1, 0, 0, 0}, "Z"},
                    StoredHotkeyCase{"1,0,X", {1, 0, 0, 0}, "Z"},
                    StoredHotkeyCase{"1,0,0,0,Q,extra", {1, 0, 0, 0}, "Z"},
                    StoredHotkeyCase{"7,0,0,0,Q", {1, 0, 0, 0}, "Z"},
                    StoredHotkeyCase{"0,abc,0,0,Q", {1, 0, 0, 0}, "Z"},
                    StoredHotkeyCase{"0,1,0,0,", {0, 1, 0, 0}, ""},
                    StoredHotkeyCase{"0,1,0,0, Q", {1, 0, 0, 0}, "Z"},
                    StoredHotkeyCase{"0,1,0,0,\xC3\x80", {1, 0, 0, 0}, "Z"}));

TEST_F(RegistryLoaderTest, RefusedDefaultsLeaveTheInitialHotkeyBoxes) {
  registry.refusedRoots = {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser};
  Load();
  for (std::size_t h = 0; h < 3; ++h) EXPECT_EQ(Modifiers(h), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(HotkeyKeyBox(panel, HotkeyId::Panel).text, "X");
  EXPECT_EQ(HotkeyKeyBox(panel, HotkeyId::Windows).text, "Z");
  EXPECT_EQ(HotkeyKeyBox(panel, HotkeyId::Panic).text, "A");
}

TEST_F(RegistryLoaderTest, ReadOnlyMachineStoreKeepsTheDefaultsPerUser) {
  registry.refusedRoots = {RegistryRoot::LocalMachine};
  Load();
  EXPECT_EQ(registry.Get("HKCU\\Software\\Blindfold\\ShortcutKeys\\BlindfoldShortcutKey"), "1,0,0,0,X");
  EXPECT_EQ(Modifiers(0), (std::vector<int>{1, 0, 0, 0}));
}

TEST_F(RegistryLoaderTest, UnusableStoreLeavesThePanelAsCreated) {
  registry.unavailable = true;
  Load();
  EXPECT_EQ(Modifiers(0), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(HotkeyKeyBox(panel, HotkeyId::Panic).text, "A");
  EXPECT_EQ(panel.Slider1.value, Slider::kMax);
  EXPECT_EQ(panel.txtTrayIcon.text, "C:\\Tools\\Blindfold\\bf.ico");
  EXPECT_EQ(panel.trayMenuCode, 0);
}

TEST_F(RegistryLoaderTest, CheckBoxesTakeOnlyTheirStates) {
  registry.Set(kKey + "bMute", "1");
  registry.Set(kKey + "StartHidden", "2");
  registry.Set(kKey + "PPShowBlindfold", "3");
  registry.Set(kKey + "PPShowWindows", "yes");
  registry.Set(kKey + "PPShutdown", " 1 ");
  registry.Set(kKey + "DisplayIcon", "-1");
  registry.Set(kKey + "ProgramManager", "1");
  registry.Set(kKey + "taskbar", "1");
  Load();
  EXPECT_EQ(panel.chkMute.value, 1);
  EXPECT_EQ(panel.chkStartHidden.value, 2);
  EXPECT_EQ(panel.chkShowBlindfold.value, 0);
  EXPECT_EQ(panel.chkShowWindows.value, 0);
  EXPECT_EQ(panel.chkShutdownBlindfold.value, 1);
  EXPECT_EQ(panel.chkDisplayIcon.value, 0);
  EXPECT_EQ(panel.chkProgramManager.value, 1);
  EXPECT_EQ(panel.chkTaskbar.value, 1);
}

TEST_F(RegistryLoaderTest, SliderTakesOnlyZeroToHundred) {
  registry.Set(kKey + "SoundLevel", "37");
  Load();
  EXPECT_EQ(panel.Slider1.value, 37);

  PanelModel other;
  registry.Set(kKey + "SoundLevel", "101");
  SettingsStore store(registry);
  LoadSettings(store, other, kDefaultIcon);
  EXPECT_EQ(other.Slider1.value, Slider::kMax);
}

TEST_F(RegistryLoaderTest, AlwaysHideEntriesSplitAtEveryComma) {
  registry.Set("HKLM\\Software\\Blindfold\\AlwaysHide", "Mail\tMailWnd  (class),Hello, world,,Last");
  Load();
  EXPECT_EQ(Entries(panel.alwaysHide),
            (std::vector<std::string>{"Mail\tMailWnd  (class)", "Hello", " world", "", "Last"}));
  EXPECT_FALSE(panel.alwaysHide.CurrentRow());
}

TEST_F(RegistryLoaderTest, EmptyAlwaysHideTextAddsNoEntry) {
  registry.Set("HKLM\\Software\\Blindfold\\AlwaysHide", "");
  Load();
  EXPECT_EQ(panel.alwaysHide.ListCount(), 0u);
}

TEST_F(RegistryLoaderTest, DecoyOnlyWhenNotEmpty) {
  panel.txtDecoy.text = "kept";
  registry.Set(kKey + "Decoy", "");
  Load();
  EXPECT_EQ(panel.txtDecoy.text, "kept");
  registry.Set(kKey + "Decoy", "C:\\decoy.exe");
  Load();
  EXPECT_EQ(panel.txtDecoy.text, "C:\\decoy.exe");
}

TEST_F(RegistryLoaderTest, GestureCodesSelectTheirButtonsAndExcludeThemOpposite) {
  registry.Set(kKey + "TrayMenu", "517");
  registry.Set(kKey + "TrayHideWindows", "513");
  Load();
  EXPECT_EQ(panel.trayMenuCode, 517);
  EXPECT_EQ(panel.trayToggleCode, 513);
  EXPECT_TRUE(panel.optTrayMenu[3].value);
  EXPECT_TRUE(panel.optTrayHideWindows[1].value);
  EXPECT_FALSE(panel.optTrayHideWindows[3].enabled);
  EXPECT_FALSE(panel.optTrayMenu[1].enabled);
  EXPECT_TRUE(panel.optTrayMenu[3].enabled);
}

TEST_F(RegistryLoaderTest, NegativeGestureCodesBecomeTheFallbackGestures) {
  registry.Set(kKey + "TrayMenu", "-1");
  registry.Set(kKey + "TrayHideWindows", "-5");
  Load();
  EXPECT_EQ(panel.trayMenuCode, 516);
  EXPECT_EQ(panel.trayToggleCode, 514);
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_FALSE(panel.optTrayMenu[i].value);
    EXPECT_FALSE(panel.optTrayHideWindows[i].value);
  }
}

TEST_F(RegistryLoaderTest, UnconvertibleGestureCodesKeepTheVariables) {
  registry.Set(kKey + "TrayMenu", "517x");
  registry.Set(kKey + "TrayHideWindows", "99999999999");
  panel.trayMenuCode = 521;
  Load();
  EXPECT_EQ(panel.trayMenuCode, 521);
  EXPECT_EQ(panel.trayToggleCode, 0);
}

TEST_F(RegistryLoaderTest, TrayIconAndTipComeFromTheStore) {
  registry.Set(kKey + "TrayIcon", "D:\\icons\\eye.ICO");
  registry.Set(kKey + "TrayIconTip", "Quiet");
  Load();
  EXPECT_EQ(panel.txtTrayIcon.text, "D:\\icons\\eye.ICO");
  EXPECT_EQ(panel.trayIconFile, "D:\\icons\\eye.ICO");
  EXPECT_EQ(panel.txtTrayIconTip.text, "Quiet");
  EXPECT_EQ(panel.trayIconTip, "Quiet");
}

TEST_F(RegistryLoaderTest, EmptyTrayIconMeansTheProgramsOwn) {
  registry.Set(kKey + "TrayIcon", "");
  Load();
  EXPECT_EQ(panel.txtTrayIcon.text, "C:\\Tools\\Blindfold\\bf.ico");
}

TEST_F(RegistryLoaderTest, PasswordKeyIsReadWhicheverCaseItWasWrittenIn) {
  registry.Set(kKey + "PW", "pbkdf2-sha256$600000$c2FsdA$aGFzaA");
  Load();
  EXPECT_EQ(panel.txtPassword.text, "pbkdf2-sha256$600000$c2FsdA$aGFzaA");
}

TEST_F(RegistryLoaderTest, HugeAndOddValuesNeverCrash) {
  const std::string huge(1 << 20, '1');
  const std::string withNul = std::string("1\0", 2) + ",0,0,0,X";
  for (const StoredValue& value : kSchema) registry.Set(std::string(value.path), huge);
  registry.Set(kKey + "BlindfoldShortcutKey", withNul);
  registry.Set(kKey + "Decoy", "\xff\xfe invalid UTF-8");
  Load();
  EXPECT_EQ(panel.chkMute.value, 0);
  EXPECT_EQ(panel.Slider1.value, Slider::kMax);
  EXPECT_EQ(panel.trayMenuCode, 0);
  EXPECT_EQ(panel.txtDecoy.text, "\xff\xfe invalid UTF-8");
  EXPECT_EQ(registry.Get(kKey + "BlindfoldShortcutKey"), "1,0,0,0,X");  // "1\0" is not a state
}

TEST(Schema, EveryValueHasAPathInTheProgramsKeysOrTheRunList) {
  for (const StoredValue& value : kSchema) {
    const auto where = ParseValuePath(value.path);
    ASSERT_TRUE(where) << value.name;
    EXPECT_EQ(where->name, value.name);
    EXPECT_FALSE(value.whenMissing.empty()) << value.name;
  }
}

}  // namespace
}  // namespace blindfold
