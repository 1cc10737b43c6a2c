#pragma once

#include <optional>

#include "panel/panel_model.h"
#include "platform/mixer.h"

namespace blindfold {

// The speakers' master volume: set to 0 when windows are hidden (if the mute
// option is on) and to the configured level when they are shown again.
class SoundControl {
 public:
  explicit SoundControl(Mixer& mixer) : mixer_(mixer) {}

  // Opens the first mixer once and finds the speakers' volume fader. Without a
  // device the mute box is shown ticked and greyed, and the slider greyed.
  void SoundInit(PanelModel& panel);
  void MuteSound(const PanelModel& panel);
  void RestoreSound(const PanelModel& panel);

  // The fader value for a level in percent: 100% is 65000, not the fader's top.
  static std::uint32_t FaderValue(int percent);
  // The same value on the 0-to-1 scale of a playback device's endpoint volume.

 private:
  Mixer& mixer_;
  std::optional<VolumeControl> mxcVolume_;
};

}  // namespace blindfold
