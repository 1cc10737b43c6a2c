#include "platform/win32/win32_mixer.h"

namespace blindfold::win32 {

bool Win32Mixer::Open() { return mixerOpen(&mixer_, 0, 0, 0, 0) == MMSYSERR_NOERROR; }

std::optional<VolumeControl> Win32Mixer::FindSpeakersVolume() {
  MIXERLINEW line{};
  line.cbStruct = sizeof line;
  line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
  if (mixerGetLineInfoW(reinterpret_cast<HMIXEROBJ>(mixer_), &line, MIXER_GETLINEINFOF_COMPONENTTYPE) !=
      MMSYSERR_NOERROR) {
    return std::nullopt;
  }
  MIXERCONTROLW control{};
  control.cbStruct = sizeof control;
  MIXERLINECONTROLSW request{};
  request.cbStruct = sizeof request;
  request.dwLineID = line.dwLineID;
  request.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
  request.cControls = 1;
  request.cbmxctrl = sizeof control;
  request.pamxctrl = &control;
  if (mixerGetLineControlsW(reinterpret_cast<HMIXEROBJ>(mixer_), &request, MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
      MMSYSERR_NOERROR) {
    return std::nullopt;
  }
  return VolumeControl{control.dwControlID, control.Bounds.lMinimum, control.Bounds.lMaximum};
}

bool Win32Mixer::SetValue(const VolumeControl& control, std::uint32_t value) {
  MIXERCONTROLDETAILS_UNSIGNED level{value};
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = control.controlId;
  details.cChannels = 1;  // one value for every channel
  details.cbDetails = sizeof level;
  details.paDetails = &level;
  return mixerSetControlDetails(reinterpret_cast<HMIXEROBJ>(mixer_), &details, MIXER_SETCONTROLDETAILSF_VALUE) ==
         MMSYSERR_NOERROR;
}

}  // namespace blindfold::win32
