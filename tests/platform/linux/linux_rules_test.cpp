// What every Linux door shares: texts, session names, keys and volumes as the
// logic knows them from Windows; no desktop needed.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <pulse/volume.h>

#include <vector>

#include "platform/linux/key_rules.h"
#include "platform/linux/pulse_mixer.h"
#include "platform/linux/text_rules.h"
// Xlib last: its macros break the headers above.
#include <X11/Xlib.h>

namespace blindfold::linux_desktop {
namespace {

TEST(TextRules, TextsAreCountedAndCutInWholeCharacters) {
  EXPECT_EQ(CountCharacters("abc"), 3);
  EXPECT_EQ(CountCharacters("Übersicht ✓"), 11);
  EXPECT_EQ(TextThroughBuffer("Übersicht", 3), "Üb");
  EXPECT_EQ(TextThroughBuffer("✓✓✓", 2), "✓");
  EXPECT_EQ(TextThroughBuffer("abc", 4), "abc");
  EXPECT_EQ(TextThroughBuffer("abc", 1), "");
  EXPECT_EQ(TextThroughBuffer(std::string_view("ab\0cd", 5), 10), "ab");
}

TEST(TextRules, OneServerIsOneSessionHoweverItsDisplayIsSpelled) {
  for (const char* name : {":0", ":0.0", ":0.1", "unix:0", "localhost:0.0"}) {
    EXPECT_EQ(SessionKeyOfDisplay(name), ":0") << name;
  }
  EXPECT_EQ(SessionKeyOfDisplay(":10"), ":10");
  EXPECT_EQ(SessionKeyOfDisplay("remote:10.0"), "remote:10");
  EXPECT_EQ(SessionKeyOfDisplay("/tmp/launch-x/org.x:0"), "_tmp_launch-x_org.x:0");
}

TEST(KeyRules, VirtualKeysNameTheirKeysyms) {
  struct Case {
    std::int32_t vkey;
    unsigned long keysym;
  };
  for (const Case& c : std::vector<Case>{{'A', XK_a},         {'Z', XK_z},        {'0', XK_0},
                                         {'9', XK_9},         {0x70, XK_F1},      {0x87, XK_F24},
                                         {0x60, XK_KP_0},     {0x20, XK_space},   {0x2E, XK_Delete},
                                         {0x25, XK_Left},     {0xDE, XK_apostrophe}, {0x1B, XK_Escape}}) {
    EXPECT_EQ(KeysymOfVirtualKey(c.vkey), c.keysym) << c.vkey;
  }
  for (const std::int32_t unknown : {0, 0x07, 0x5B, 0xFF, -1}) EXPECT_EQ(KeysymOfVirtualKey(unknown), 0u) << unknown;
}

// sway looks the names up in the keysym tables that X's are: each key a
// stored hotkey can name is named as Xlib names it.
TEST(KeyRules, EveryKeyIsNamedAsXNamesIt) {
  for (std::int32_t vkey = 0; vkey < 256; ++vkey) {
    const unsigned long keysym = KeysymOfVirtualKey(vkey);
    if (keysym == 0) continue;
    const char* xName = XKeysymToString(keysym);
    ASSERT_NE(xName, nullptr) << vkey;
    EXPECT_EQ(KeysymName(keysym), xName) << vkey;
  }
  EXPECT_EQ(KeysymName(0), std::nullopt);
  EXPECT_EQ(KeysymName(XK_Num_Lock), std::nullopt);
}

TEST(PulseScale, FullAndSilentMeetAtTheEnds) {
  EXPECT_EQ(ServerVolumeOf(0), PA_VOLUME_MUTED);
  EXPECT_EQ(ServerVolumeOf(65535), PA_VOLUME_NORM);
  EXPECT_EQ(ServerVolumeOf(70000), PA_VOLUME_NORM);
  EXPECT_EQ(MixerValueOf(PA_VOLUME_NORM), 65535u);
  EXPECT_EQ(MixerValueOf(PA_VOLUME_NORM * 2), 65535u);  // amplified: full on the fader
  for (const std::uint32_t value : {1u, 100u, 32768u, 65534u}) {
    EXPECT_NEAR(MixerValueOf(ServerVolumeOf(value)), value, 1) << value;
  }
}

}  // namespace
}  // namespace blindfold::linux_desktop
