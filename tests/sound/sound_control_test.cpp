#include "sound/sound_control.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_mixer.h"

namespace blindfold {
namespace {

class SoundControlTest : public testing::Test {
 protected:
  FakeMixer mixer;
  SoundControl sound{mixer};
  PanelModel panel;
};

TEST_F(SoundControlTest, RestoreSetsTheSliderLevelTimesSixHundredFifty) {
  sound.SoundInit(panel);
  EXPECT_EQ(panel.lblSoundInfo.caption, "0 to 65535");
  for (const auto& [percent, fader] : {std::pair{0, 0u}, std::pair{37, 24050u}, std::pair{100, 65000u}}) {
    panel.Slider1.value = percent;
    sound.RestoreSound(panel);
    EXPECT_EQ(mixer.values.back(), fader) << percent;
  }
}

TEST_F(SoundControlTest, MuteSetsZeroOnlyWhenTheBoxIsTicked) {
  sound.SoundInit(panel);
  sound.MuteSound(panel);
  EXPECT_TRUE(mixer.values.empty());
  panel.chkMute.value = 1;
  sound.MuteSound(panel);
  EXPECT_EQ(mixer.values, std::vector<std::uint32_t>{0});
  panel.chkMute.value = 0;
  panel.Slider1.value = 50;
  sound.RestoreSound(panel);  // restoring does not depend on the box
  EXPECT_EQ(mixer.values.back(), 32500u);
}

TEST_F(SoundControlTest, NoDeviceTicksAndGreysTheMuteBoxAndChangesNothing) {
  mixer.hasDevice = false;
  sound.SoundInit(panel);
  EXPECT_EQ(panel.chkMute.value, 1);
  EXPECT_FALSE(panel.chkMute.enabled);
  EXPECT_FALSE(panel.Slider1.enabled);
  EXPECT_EQ(panel.lblSoundInfo.caption, "SoundInfo");
  sound.MuteSound(panel);
  sound.RestoreSound(panel);
  EXPECT_TRUE(mixer.values.empty());
}

TEST_F(SoundControlTest, NoVolumeControlKeepsTheControlsUsable) {
  mixer.hasVolumeControl = false;
  sound.SoundInit(panel);
  EXPECT_TRUE(panel.chkMute.enabled);
  EXPECT_TRUE(panel.Slider1.enabled);
  EXPECT_EQ(panel.lblSoundInfo.caption, "SoundInfo");
}

TEST(EndpointLevel, MapsTheFaderOntoZeroToOne) {
  EXPECT_FLOAT_EQ(FaderShare(0), 0.0f);
  EXPECT_FLOAT_EQ(FaderShare(65535), 1.0f);
  EXPECT_FLOAT_EQ(FaderShare(65000), 65000.0f / 65535.0f);  // 100% is not the top
  EXPECT_FLOAT_EQ(FaderShare(SoundControl::FaderValue(37)), 24050.0f / 65535.0f);
  EXPECT_FLOAT_EQ(FaderShare(70000), 1.0f);
}

}  // namespace
}  // namespace blindfold
