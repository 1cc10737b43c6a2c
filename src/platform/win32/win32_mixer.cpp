#include "platform/win32/win32_mixer.h"

#include <endpointvolume.h>
#include <mmdeviceapi.h>


namespace blindfold::win32 {

bool WinmmMixer::Open() { return mixerOpen(mixer_.Put(), 0, 0, 0, 0) == MMSYSERR_NOERROR; }

std::optional<VolumeControl> WinmmMixer::FindSpeakersVolume() {
  MIXERLINEW line{};
  line.cbStruct = sizeof line;
  line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
  if (mixerGetLineInfoW(reinterpret_cast<HMIXEROBJ>(mixer_.Get()), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) !=
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
  if (mixerGetLineControlsW(reinterpret_cast<HMIXEROBJ>(mixer_.Get()), &request, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
      MMSYSERR_NOERROR) {
    return std::nullopt;
  }
  return VolumeControl{control.dwControlID, control.Bounds.lMinimum, control.Bounds.lMaximum};
}

bool WinmmMixer::SetValue(const VolumeControl& control, std::uint32_t value) {
  MIXERCONTROLDETAILS_UNSIGNED level{value};
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = control.controlId;
  details.cChannels = 1;  // one value for every channel
  details.cbDetails = sizeof level;
  details.paDetails = &level;
  return mixerSetControlDetails(reinterpret_cast<HMIXEROBJ>(mixer_.Get()), &details, MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) ==
         MMSYSERR_NOERROR;
}

EndpointMixer::EndpointMixer() {
  const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  comStarted_ = SUCCEEDED(started);
}

EndpointMixer::~EndpointMixer() {
  volume_.Reset();
  if (comStarted_) CoUninitialize();
}

bool EndpointMixer::Open() {
  UniqueHandle<ComTraits<IMMDeviceEnumerator>> devices;
  if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                              reinterpret_cast<void**>(devices.Put())))) {
    return false;
  }
  UniqueHandle<ComTraits<IMMDevice>> speakers;
  if (FAILED(devices.Get()->GetDefaultAudioEndpoint(eRender, eConsole, speakers.Put()))) return false;
  return SUCCEEDED(speakers.Get()->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                                            reinterpret_cast<void**>(volume_.Put())));
}

bool EndpointMixer::AcceptsChanges() {
  float level = 0;
  return volume_ && SUCCEEDED(volume_.Get()->GetMasterVolumeLevelScalar(&level)) &&
         SUCCEEDED(volume_.Get()->SetMasterVolumeLevelScalar(level, nullptr));
}

std::optional<VolumeControl> EndpointMixer::FindSpeakersVolume() {
  if (!volume_) return std::nullopt;
  return VolumeControl{0, 0, 65535};
}

bool EndpointMixer::SetValue(const VolumeControl&, std::uint32_t value) {
  return volume_ && SUCCEEDED(volume_.Get()->SetMasterVolumeLevelScalar(FaderShare(value), nullptr));
}

// Some platforms hand out an endpoint volume that refuses every change; the
// endpoint is only chosen once it has taken its own level back unchanged.
bool Win32Mixer::Open() {
  if (endpoint_.Open() && endpoint_.AcceptsChanges()) {
    chosen_ = &endpoint_;
    return true;
  }
  chosen_ = &winmm_;
  return winmm_.Open();
}

}  // namespace blindfold::win32
