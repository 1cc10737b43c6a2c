#include "sound/sound_control.h"

#include <algorithm>

namespace blindfold {

void SoundControl::SoundInit(PanelModel& panel) {
  if (!mixer_.Open()) {
    panel.Slider1.enabled = false;
    panel.chkMute.enabled = false;
    panel.chkMute.value = 1;
    panel.chkMutePrograms.enabled = false;
    return;
  }
  mxcVolume_ = mixer_.FindSpeakersVolume();
  if (mxcVolume_) {
    panel.lblSoundInfo.caption = std::to_string(mxcVolume_->minimum) + " to " + std::to_string(mxcVolume_->maximum);
  }
}

// Without a fader there is nothing to set: the calls are skipped rather than
// sent to a control that does not exist.
void SoundControl::MuteSound(const PanelModel& panel) {
  if (panel.chkMute.value == 1 && mxcVolume_) mixer_.SetValue(*mxcVolume_, 0);
}

void SoundControl::RestoreSound(const PanelModel& panel) {
  if (mxcVolume_) mixer_.SetValue(*mxcVolume_, FaderValue(panel.Slider1.value));
}

std::uint32_t SoundControl::FaderValue(int percent) { return static_cast<std::uint32_t>(percent * 650); }

}  // namespace blindfold
