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

TEST(VBHotKey, KeyBeyondAsciiIsRefusedAndKeepsTheArmedCombination) {
  FakeHotkey platform;
  VBHotKey hotkey(platform, 'Z');
  PanelModel panel;
  panel.Check2[4].value = 1;
  panel.txtWindowsShortcutKey.text = "Z";
  hotkey.ArmFrom(panel, HotkeyId::Windows);
  panel.txtWindowsShortcutKey.text = "À";  // would arm the backquote key, 0xC0
  hotkey.ArmFrom(panel, HotkeyId::Windows);
  EXPECT_EQ(platform.armed.size(), 1u);
  EXPECT_TRUE(panel.lblHotkeyStatus[1].visible);
  EXPECT_EQ(panel.lblHotkeyStatus[1].caption, "Could not be registered: \"À\" is not a key this hotkey can use.");
}

TEST(VBHotKey, ArmsFromTheBoxesOfItsOwnHotkey) {
  FakeHotkey platform;
  VBHotKey hotkey(platform, 'Z');
  PanelModel panel;
  panel.Check2[4].value = 1;  // windows hotkey: Win
  panel.Check2[7].value = 2;  // and Shift (a grayed box counts as set)
  panel.Check2[0].value = 1;  // the panel hotkey's box does not count
  panel.txtWindowsShortcutKey.text = "q";

  hotkey.ArmFrom(panel, HotkeyId::Windows);
  ASSERT_EQ(platform.armed.size(), 1u);
  EXPECT_EQ(platform.Current(), (HotkeyCombination{true, false, false, true, 'Q'}));
  EXPECT_FALSE(panel.lblHotkeyStatus[1].visible);
}

TEST(VBHotKey, EmptyKeyBoxKeepsThePreviousKeyWhileModifiersChange) {
  FakeHotkey platform;
  VBHotKey hotkey(platform, 'X');
  PanelModel panel;
  panel.txtBlindfoldShortcutKey.text = "";
  panel.Check2[1].value = 1;
  hotkey.ArmFrom(panel, HotkeyId::Panel);
  EXPECT_EQ(platform.Current(), (HotkeyCombination{false, true, false, false, 'X'}));
  // The box no longer shows the key in use, so the line beside it does.
  EXPECT_TRUE(panel.lblHotkeyStatus[0].visible);
  EXPECT_NE(panel.lblHotkeyStatus[0].caption.find("\"X\""), std::string::npos);

  panel.txtBlindfoldShortcutKey.text = "K";
  hotkey.ArmFrom(panel, HotkeyId::Panel);
  panel.txtBlindfoldShortcutKey.text = "";
  panel.Check2[1].value = 0;
  panel.Check2[2].value = 1;
  hotkey.ArmFrom(panel, HotkeyId::Panel);
  EXPECT_EQ(platform.Current(), (HotkeyCombination{false, false, true, false, 'K'}));
  panel.txtBlindfoldShortcutKey.text = "K";
  hotkey.ArmFrom(panel, HotkeyId::Panel);
  EXPECT_FALSE(panel.lblHotkeyStatus[0].visible);
}

TEST(VBHotKey, RefusedCombinationIsReportedBesideItsHotkeyAndClearedOnceTaken) {
  FakeHotkey platform;
  VBHotKey hotkey(platform, 0);
  PanelModel panel;
  panel.Check2[9].value = 1;
  platform.refuse = true;
  hotkey.ArmFrom(panel, HotkeyId::Panic);
  EXPECT_TRUE(panel.lblHotkeyStatus[2].visible);
  // With the way round it: the command that does what the hotkey does.
  EXPECT_EQ(panel.lblHotkeyStatus[2].caption,
            "Could not be registered: another program already uses this combination. Or bind Blindfold --panic "
            "in your desktop's keyboard settings instead.");
  EXPECT_FALSE(panel.lblHotkeyStatus[0].visible);

  platform.refuse = false;
  hotkey.ArmFrom(panel, HotkeyId::Panic);
  EXPECT_FALSE(panel.lblHotkeyStatus[2].visible);
  EXPECT_EQ(panel.lblHotkeyStatus[2].caption, "");
}


TEST(VBHotKey, BareKeyIsNeverArmedAndGivesBackTheCombinationHeldBefore) {
  FakeHotkey platform;
  VBHotKey hotkey(platform, 'Z');
  PanelModel panel;
  panel.Check2[5].value = 1;
  panel.txtWindowsShortcutKey.text = "Z";
  hotkey.ArmFrom(panel, HotkeyId::Windows);
  ASSERT_TRUE(platform.active);

  panel.Check2[5].value = 0;
  hotkey.ArmFrom(panel, HotkeyId::Windows);
  EXPECT_EQ(platform.armed.size(), 1u);
  EXPECT_FALSE(platform.active);
  EXPECT_TRUE(panel.lblHotkeyStatus[1].visible);
  EXPECT_EQ(panel.lblHotkeyStatus[1].caption,
            "Not registered: tick at least one of WinKey, CtrlKey, AltKey or ShiftKey.");
}

}  // namespace
}  // namespace blindfold
