#include "settings/save_settings.h"

#include <gtest/gtest.h>

#include "core/overloaded.h"
#include "platform/fake/fake_autostart.h"
#include "platform/fake/fake_registry.h"
#include "settings/registry_loader.h"
#include "settings/schema.h"
#include "settings/tray_gestures.h"

namespace blindfold {
namespace {

const std::string kKey = "HKLM\\Software\\Blindfold\\ShortcutKeys\\";

class SaveSettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    SettingsStore store(registry);
    LoadSettings(store, panel, "C:\\Tools\\bf.ico");
  }
  std::vector<std::string> Save() {
    SettingsStore store(registry);
    return SaveSettings(store, panel, {&autostart, [this] { ++armings; }, [this] { ++reinstalls; }});
  }

  FakeRegistry registry;
  FakeAutostart autostart;
  PanelModel panel;
  int armings = 0;
  int reinstalls = 0;
};

// A stored text for each kind of binding that is none of the defaults, so that
// a value read into nothing, or saved from nothing, does not come back.
std::optional<std::string> SampleText(const StoredValue& value) {
  return std::visit(
      Overloaded{
          [](const HotkeyField& field) -> std::optional<std::string> {
            return "0,1,1,0," + std::string(1, static_cast<char>('P' + static_cast<int>(field.id)));
          },
          [](const CheckField&) -> std::optional<std::string> { return "1"; },
          [](const SwitchField&) -> std::optional<std::string> { return "1"; },
          [](const SliderField&) -> std::optional<std::string> { return "37"; },
          [&](const TextField&) -> std::optional<std::string> { return std::string(value.name) + " \xC3\xA9, kept"; },
          [&](const TrayTextField&) -> std::optional<std::string> { return std::string(value.name) + " \xC3\xA9"; },
          [](const ListField&) -> std::optional<std::string> { return "Mail \xE2\x80\x94 draft,Editor"; },
          [](const GestureField& field) -> std::optional<std::string> {
            // Two rows may not share a gesture: each takes its own.
            return std::to_string(kTrayGestureCodes[field.row == &PanelModel::optTrayMenu ? 1 : 2]);
          },
          // Written by setting a password, never by a save.
          [](const PasswordField&) -> std::optional<std::string> { return std::nullopt; },
          [](const NormalisedFlag&) -> std::optional<std::string> { return "1"; },
      },
      value.binding);
}

TEST(StoredSettings, EveryValueComesBackThroughTheLoaderAndTheSave) {
  FakeRegistry before;
  for (const StoredValue& value : kSchema) {
    if (const auto text = SampleText(value)) before.Set(std::string(value.path), *text);
  }
  PanelModel panel;
  SettingsStore beforeStore(before);
  LoadSettings(beforeStore, panel, "C:\\Tools\\bf.ico");

  FakeRegistry after;
  // The flag is kept only where it was stored.
  after.Set(std::string(kPrevInstWarning.path), "1");
  SettingsStore afterStore(after);
  EXPECT_TRUE(SaveSettings(afterStore, panel, {}).empty());
  for (const StoredValue& value : kSchema) {
    if (const auto text = SampleText(value)) {
      EXPECT_EQ(after.Get(std::string(value.path)), *text) << value.name;
    }
  }
}

TEST_F(SaveSettingsTest, FreshPanelStoresTheDefaultTextsAndEverySetting) {
  EXPECT_TRUE(Save().empty());
  EXPECT_EQ(registry.Get(kKey + "BlindfoldShortcutKey"), "1,0,0,0,X");
  EXPECT_EQ(registry.Get(kKey + "WindowsShortcutKey"), "1,0,0,0,Z");
  EXPECT_EQ(registry.Get(kKey + "PanicShortcutKey"), "1,0,0,0,V");
  for (const char* name : {"bMute", "StartHidden", "PPShutdown", "PPShowWindows", "PPShowBlindfold",
                           "DisplayIcon", "ProgramManager", "Taskbar"}) {
    EXPECT_EQ(registry.Get(kKey + name), "0") << name;
  }
  EXPECT_EQ(registry.Get(kKey + "SoundLevel"), "100");
  EXPECT_EQ(registry.Get(kKey + "Decoy"), "");
  EXPECT_EQ(registry.Get("HKLM\\Software\\Blindfold\\AlwaysHide"), "");
  EXPECT_EQ(registry.Get(kKey + "TrayMenu"), "0");  // no gesture chosen
  EXPECT_FALSE(autostart.on);
  EXPECT_EQ(armings, 1);
}

TEST_F(SaveSettingsTest, KeysAreStoredUpperCasedAndWhole) {
  HotkeyKeyBox(panel, HotkeyId::Windows).text = "q";
  HotkeyKeyBox(panel, HotkeyId::Panic).text = "ab";
  HotkeyKeyBox(panel, HotkeyId::Panel).text = "";
  ModifierBox(panel, HotkeyId::Panel, Modifier::Ctrl).value = 1;
  Save();
  EXPECT_EQ(registry.Get(kKey + "WindowsShortcutKey"), "1,0,0,0,Q");
  EXPECT_EQ(registry.Get(kKey + "PanicShortcutKey"), "1,0,0,0,AB");
  EXPECT_EQ(registry.Get(kKey + "BlindfoldShortcutKey"), "1,1,0,0,");
}

TEST_F(SaveSettingsTest, StartAtLogOnFollowsTheBoxAndAnEntryThatStaysIsReported) {
  panel.chkStartWithWindows.value = 1;
  EXPECT_TRUE(Save().empty());
  EXPECT_TRUE(autostart.on);
  panel.chkStartWithWindows.value = 0;
  EXPECT_TRUE(Save().empty());
  EXPECT_FALSE(autostart.on);
  EXPECT_TRUE(Save().empty());  // nothing left to remove: not a failure

  autostart.on = true;
  autostart.refuse = true;
  EXPECT_EQ(Save(), std::vector<std::string>{"Blindfold"});
}

TEST_F(SaveSettingsTest, GreyedMuteBoxWithoutAnAudioDeviceKeepsTheStoredChoice) {
  registry.Set(kKey + "bMute", "0");
  panel.chkMute.value = 1;
  panel.chkMute.enabled = false;
  Save();
  EXPECT_EQ(registry.Get(kKey + "bMute"), "0");
}

TEST_F(SaveSettingsTest, AlwaysHideLeadingEmptyEntriesVanish) {
  for (const char* entry : {"", "First", "", "Second"}) panel.alwaysHide.AddItem(entry);
  Save();
  EXPECT_EQ(registry.Get("HKLM\\Software\\Blindfold\\AlwaysHide"), "First,,Second");
}

// A list with program entries (an empty title, the program's path with its
// commas written %2C, "  (program)") reads into one row per entry through the
// loader every version has, and saves back byte for byte; a list of windows'
// entries alone reads and saves as it always did.
TEST_F(SaveSettingsTest, AlwaysHideWithProgramEntriesComesBackUnchanged) {
  const std::string path = "HKLM\\Software\\Blindfold\\AlwaysHide";
  for (const std::string stored : {"Mail\tMailWnd  (class),\t/opt/a%2Cb/player  (program),Hello,,Last",
                                   "Mail\tMailWnd  (class),Hello, world,,Last"}) {
    registry.Set(path, stored);
    panel = PanelModel();
    SettingsStore store(registry);
    LoadSettings(store, panel, "C:\\Tools\\bf.ico");
    ASSERT_EQ(panel.alwaysHide.ListCount(), 5u) << stored;
    Save();
    EXPECT_EQ(registry.Get(path), stored);
  }
  EXPECT_EQ(panel.alwaysHide.Row(1).text, "Hello");
  EXPECT_EQ(panel.alwaysHide.Row(2).text, " world");
}

TEST_F(SaveSettingsTest, ChosenGesturesAreStoredAndTakenOver) {
  SelectMenuGesture(panel, 3);
  SelectToggleGesture(panel, 1);
  Save();
  EXPECT_EQ(registry.Get(kKey + "TrayMenu"), "517");
  EXPECT_EQ(registry.Get(kKey + "TrayHideWindows"), "513");
  EXPECT_EQ(panel.trayMenuCode, 517);
  EXPECT_EQ(panel.trayToggleCode, 513);
}

TEST_F(SaveSettingsTest, TrayIsReinstalledOnlyWhenItsIconOrTipChanged) {
  Save();
  EXPECT_EQ(reinstalls, 1);  // nothing was stored yet
  Save();
  EXPECT_EQ(reinstalls, 1);
  panel.txtTrayIconTip.text = "Quiet";
  Save();
  EXPECT_EQ(reinstalls, 2);
  EXPECT_EQ(registry.Get(kKey + "TrayIconTip"), "Quiet");
}

TEST_F(SaveSettingsTest, GarbageFoundInOwnedValuesIsWrittenBackClean) {
  registry.Set(kKey + "TrayMenu", "abc");
  registry.Set(kKey + "TrayHideWindows", "999");
  registry.Set(kKey + "PrevInstWarning", " 1x");
  SetUp();
  Save();
  EXPECT_EQ(registry.Get(kKey + "TrayMenu"), "0");
  EXPECT_EQ(registry.Get(kKey + "TrayHideWindows"), "0");
  EXPECT_EQ(panel.trayToggleCode, 0);
  EXPECT_EQ(registry.Get(kKey + "PrevInstWarning"), "0");
}

TEST_F(SaveSettingsTest, ReadOnlyMachineStoreSavesPerUser) {
  registry.refusedRoots = {RegistryRoot::LocalMachine};
  panel.chkMute.value = 1;
  EXPECT_TRUE(Save().empty());
  EXPECT_EQ(registry.Get("HKCU\\Software\\Blindfold\\ShortcutKeys\\bMute"), "1");

  PanelModel reloaded;
  SettingsStore store(registry);
  LoadSettings(store, reloaded, "C:\\Tools\\bf.ico");
  EXPECT_EQ(reloaded.chkMute.value, 1);
}

TEST_F(SaveSettingsTest, SettingsStoredNowhereAreNamedAndTheRestStillRuns) {
  registry.refusedRoots = {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser};
  const auto failed = Save();
  EXPECT_EQ(failed.front(), "BlindfoldShortcutKey");
  EXPECT_NE(std::find(failed.begin(), failed.end(), "Taskbar"), failed.end());
  EXPECT_EQ(armings, 1);
}

}  // namespace
}  // namespace blindfold
