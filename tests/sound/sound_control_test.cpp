#include "sound/sound_control.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_mixer.h"
#include "sound/program_mute.h"

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

namespace blindfold {
namespace {

class ProgramMuteTest : public testing::Test {
 protected:
  bool Muted(std::uint64_t id) {
    for (const ProgramStream& stream : mixer.streams) {
      if (stream.id == id) return stream.muted;
    }
    return false;
  }

  FakeMixer mixer;
  ProgramMute mute{mixer};
};

// The call's program (10) plays one stream itself and one through a helper it
// started (11); the music (20) plays beside them, and a stream of the call's
// program was muted by the user already.
TEST_F(ProgramMuteTest, OnlyTheHiddenProgramsStreamsAreMutedAndGetBackWhatTheyHad) {
  mixer.streams = {{.id = 1, .processes = {10, 1000}},
                   {.id = 2, .processes = {11, 10, 1000}},
                   {.id = 3, .processes = {20, 1000}},
                   {.id = 4, .processes = {10, 1000}, .muted = true},
                   {.id = 5, .processes = {}}};
  mute.Mute({10});
  EXPECT_TRUE(mute.Holding());
  EXPECT_TRUE(Muted(1));
  EXPECT_TRUE(Muted(2));
  EXPECT_FALSE(Muted(3));
  EXPECT_FALSE(Muted(5));
  mute.Mute({10});  // a second hide while hidden touches nothing again
  EXPECT_EQ(mixer.streamsSet, (std::vector<std::uint64_t>{1, 2}));

  mute.Restore();
  EXPECT_FALSE(mute.Holding());
  EXPECT_FALSE(Muted(1));
  EXPECT_FALSE(Muted(2));
  EXPECT_TRUE(Muted(4));  // muted before: stays muted
  EXPECT_EQ(mixer.streamsSet, (std::vector<std::uint64_t>{1, 2, 1, 2}));
}

TEST_F(ProgramMuteTest, AStreamThatEndedOrWhoseIdWentToAnotherProgramIsForgotten) {
  mixer.streams = {{.id = 1, .processes = {10}}, {.id = 2, .processes = {10}}};
  mute.Mute({10});
  mixer.streams = {{.id = 2, .processes = {30}, .muted = true}};  // 1 ended; 2 is another program's now
  mute.Restore();
  EXPECT_TRUE(Muted(2));
  EXPECT_EQ(mixer.streamsSet, (std::vector<std::uint64_t>{1, 2}));
  EXPECT_FALSE(mute.Holding());
}

TEST_F(ProgramMuteTest, WithoutADeviceNothingIsHeld) {
  mixer.hasDevice = false;
  mixer.streams = {{.id = 1, .processes = {10}}};
  mute.Mute({10});
  EXPECT_FALSE(mute.Holding());
  mute.Restore();
  EXPECT_TRUE(mixer.streamsSet.empty());
}

}  // namespace
}  // namespace blindfold
