#include "settings/hotkey_arming.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_hotkey.h"

namespace blindfold {
namespace {

TEST(VirtualKeyOf, UsesTheFirstCharacterUpperCased) {
  EXPECT_EQ(VirtualKeyOf("x"), 'X');
  EXPECT_EQ(VirtualKeyOf("Z"), 'Z');
  EXPECT_EQ(VirtualKeyOf("7"), '7');
  EXPECT_EQ(VirtualKeyOf("Fx"), 'F');
  EXPECT_EQ(VirtualKeyOf(""), std::nullopt);
}

TEST(ArmedHotkey, KeyBeyondAsciiIsRefusedAndKeepsTheArmedCombination) {
  FakeHotkey platform;
  ArmedHotkey hotkey(platform, 'Z');
  PanelModel panel;
  ModifierBox(panel, HotkeyId::Windows, Modifier::Win).value = 1;
  HotkeyKeyBox(panel, HotkeyId::Windows).text = "Z";
  hotkey.ArmFrom(panel, HotkeyId::Windows);
  HotkeyKeyBox(panel, HotkeyId::Windows).text = "À";  // would arm the backquote key, 0xC0
  hotkey.ArmFrom(panel, HotkeyId::Windows);
  EXPECT_EQ(platform.armed.size(), 1u);
  EXPECT_TRUE(HotkeyStatus(panel, HotkeyId::Windows).visible);
  EXPECT_EQ(HotkeyStatus(panel, HotkeyId::Windows).caption, "Could not be registered: \"À\" is not a key this hotkey can use.");
}

TEST(ArmedHotkey, ArmsFromTheBoxesOfItsOwnHotkey) {
  FakeHotkey platform;
  ArmedHotkey hotkey(platform, 'Z');
  PanelModel panel;
  ModifierBox(panel, HotkeyId::Windows, Modifier::Win).value = 1;  // windows hotkey: Win
  ModifierBox(panel, HotkeyId::Windows, Modifier::Shift).value = 2;  // and Shift (a grayed box counts as set)
  ModifierBox(panel, HotkeyId::Panel, Modifier::Win).value = 1;  // the panel hotkey's box does not count
  HotkeyKeyBox(panel, HotkeyId::Windows).text = "q";

  hotkey.ArmFrom(panel, HotkeyId::Windows);
  ASSERT_EQ(platform.armed.size(), 1u);
  EXPECT_EQ(platform.Current(), (HotkeyCombination{true, false, false, true, 'Q'}));
  EXPECT_FALSE(HotkeyStatus(panel, HotkeyId::Windows).visible);
}

TEST(ArmedHotkey, EmptyKeyBoxKeepsThePreviousKeyWhileModifiersChange) {
  FakeHotkey platform;
  ArmedHotkey hotkey(platform, 'X');
  PanelModel panel;
  HotkeyKeyBox(panel, HotkeyId::Panel).text = "";
  ModifierBox(panel, HotkeyId::Panel, Modifier::Ctrl).value = 1;
  hotkey.ArmFrom(panel, HotkeyId::Panel);
  EXPECT_EQ(platform.Current(), (HotkeyCombination{false, true, false, false, 'X'}));
  // The box no longer shows the key in use, so the line beside it does.
  EXPECT_TRUE(HotkeyStatus(panel, HotkeyId::Panel).visible);
  EXPECT_NE(HotkeyStatus(panel, HotkeyId::Panel).caption.find("\"X\""), std::string::npos);

  HotkeyKeyBox(panel, HotkeyId::Panel).text = "K";
  hotkey.ArmFrom(panel, HotkeyId::Panel);
  HotkeyKeyBox(panel, HotkeyId::Panel).text = "";
  ModifierBox(panel, HotkeyId::Panel, Modifier::Ctrl).value = 0;
  ModifierBox(panel, HotkeyId::Panel, Modifier::Alt).value = 1;
  hotkey.ArmFrom(panel, HotkeyId::Panel);
  EXPECT_EQ(platform.Current(), (HotkeyCombination{false, false, true, false, 'K'}));
  HotkeyKeyBox(panel, HotkeyId::Panel).text = "K";
  hotkey.ArmFrom(panel, HotkeyId::Panel);
  EXPECT_FALSE(HotkeyStatus(panel, HotkeyId::Panel).visible);
}

TEST(ArmedHotkey, RefusedCombinationIsReportedBesideItsHotkeyAndClearedOnceTaken) {
  FakeHotkey platform;
  ArmedHotkey hotkey(platform, 0);
  PanelModel panel;
  ModifierBox(panel, HotkeyId::Panic, Modifier::Ctrl).value = 1;
  platform.refuse = true;
  hotkey.ArmFrom(panel, HotkeyId::Panic);
  EXPECT_TRUE(HotkeyStatus(panel, HotkeyId::Panic).visible);
  // With the way round it: the command that does what the hotkey does.
  EXPECT_EQ(HotkeyStatus(panel, HotkeyId::Panic).caption,
            "Could not be registered: another program already uses this combination. Or bind Blindfold --panic "
            "in your desktop's keyboard settings instead.");
  EXPECT_FALSE(HotkeyStatus(panel, HotkeyId::Panel).visible);

  platform.refuse = false;
  hotkey.ArmFrom(panel, HotkeyId::Panic);
  EXPECT_FALSE(HotkeyStatus(panel, HotkeyId::Panic).visible);
  EXPECT_EQ(HotkeyStatus(panel, HotkeyId::Panic).caption, "");
}


TEST(ArmedHotkey, BareKeyIsNeverArmedAndGivesBackTheCombinationHeldBefore) {
  FakeHotkey platform;
  ArmedHotkey hotkey(platform, 'Z');
  PanelModel panel;
  ModifierBox(panel, HotkeyId::Windows, Modifier::Ctrl).value = 1;
  HotkeyKeyBox(panel, HotkeyId::Windows).text = "Z";
  hotkey.ArmFrom(panel, HotkeyId::Windows);
  ASSERT_TRUE(platform.active);

  ModifierBox(panel, HotkeyId::Windows, Modifier::Ctrl).value = 0;
  hotkey.ArmFrom(panel, HotkeyId::Windows);
  EXPECT_EQ(platform.armed.size(), 1u);
  EXPECT_FALSE(platform.active);
  EXPECT_TRUE(HotkeyStatus(panel, HotkeyId::Windows).visible);
  EXPECT_EQ(HotkeyStatus(panel, HotkeyId::Windows).caption,
            "Not registered: tick at least one of WinKey, CtrlKey, AltKey or ShiftKey.");
}

}  // namespace
}  // namespace blindfold
