#include "platform/win32/win32_mixer.h"

#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include "platform/win32/late_bound.h"

namespace blindfold::win32 {
namespace {

// The audio libraries, and COM, which the endpoint needs, are loaded when the
// sound is first looked for: under Wine they bring their own native sound
// libraries, and a run that never mutes needs none of it.
struct Winmm {
  decltype(mixerOpen)* open = LateBound<decltype(mixerOpen)>(L"winmm.dll", "mixerOpen");
  decltype(mixerClose)* close = LateBound<decltype(mixerClose)>(L"winmm.dll", "mixerClose");
  decltype(mixerGetLineInfoW)* lineInfo = LateBound<decltype(mixerGetLineInfoW)>(L"winmm.dll", "mixerGetLineInfoW");
  decltype(mixerGetLineControlsW)* lineControls =
      LateBound<decltype(mixerGetLineControlsW)>(L"winmm.dll", "mixerGetLineControlsW");
  decltype(mixerSetControlDetails)* setDetails =
      LateBound<decltype(mixerSetControlDetails)>(L"winmm.dll", "mixerSetControlDetails");
  bool Loaded() const { return open && close && lineInfo && lineControls && setDetails; }
};

const Winmm& WinmmLibrary() {
  static const Winmm library;
  return library;
}

struct Com {
  decltype(CoInitializeEx)* initialize = LateBound<decltype(CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
  decltype(CoUninitialize)* uninitialize = LateBound<decltype(CoUninitialize)>(L"ole32.dll", "CoUninitialize");
  decltype(CoCreateInstance)* createInstance =
      LateBound<decltype(CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
  bool Loaded() const { return initialize && uninitialize && createInstance; }
};

const Com& ComLibrary() {
  static const Com library;
  return library;
}

}  // namespace

void MixerTraits::Close(Handle mixer) { WinmmLibrary().close(mixer); }

bool WinmmMixer::Open() {
  const Winmm& winmm = WinmmLibrary();
  return winmm.Loaded() && winmm.open(mixer_.Put(), 0, 0, 0, 0) == MMSYSERR_NOERROR;
}

std::optional<VolumeControl> WinmmMixer::FindSpeakersVolume() {
  MIXERLINEW line{};
  line.cbStruct = sizeof line;
  line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
  if (!mixer_) return std::nullopt;
  if (WinmmLibrary().lineInfo(reinterpret_cast<HMIXEROBJ>(mixer_.Get()), &line,
                              MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR) {
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
  if (WinmmLibrary().lineControls(reinterpret_cast<HMIXEROBJ>(mixer_.Get()), &request,
                                  MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) != MMSYSERR_NOERROR) {
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
  if (!mixer_) return false;
  return WinmmLibrary().setDetails(reinterpret_cast<HMIXEROBJ>(mixer_.Get()), &details,
                                   MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) == MMSYSERR_NOERROR;
}

// COM starts with the first look for the endpoint, not here.
EndpointMixer::EndpointMixer() = default;

EndpointMixer::~EndpointMixer() {
  volume_.Reset();
  if (comStarted_) ComLibrary().uninitialize();
}

bool EndpointMixer::Open() {
  const Com& com = ComLibrary();
  if (!com.Loaded()) return false;
  if (!comStarted_) comStarted_ = SUCCEEDED(com.initialize(nullptr, COINIT_APARTMENTTHREADED));
  UniqueHandle<ComTraits<IMMDeviceEnumerator>> devices;
  if (FAILED(com.createInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
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
