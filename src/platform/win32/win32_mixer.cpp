#include "platform/win32/win32_mixer.h"

#include <audioclient.h>
#include <audiopolicy.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <tlhelp32.h>

#include <functional>
#include <string_view>
#include <unordered_map>

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
  decltype(CoTaskMemFree)* freeMemory = LateBound<decltype(CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
  bool Loaded() const { return initialize && uninitialize && createInstance && freeMemory; }
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
  speakers_.Reset();
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
  if (FAILED(devices.Get()->GetDefaultAudioEndpoint(eRender, eConsole, speakers_.Put()))) return false;
  return SUCCEEDED(speakers_.Get()->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
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

namespace {

// Each process's parent, as the system's snapshot of its processes says.
std::unordered_map<std::uint32_t, std::uint32_t> ParentsOfProcesses() {
  std::unordered_map<std::uint32_t, std::uint32_t> parents;
  const UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot || snapshot.Get() == INVALID_HANDLE_VALUE) return parents;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    parents[entry.th32ProcessID] = entry.th32ParentProcessID;
  }
  return parents;
}

// A session's instance identifier, which names it alone while it lasts, as a
// number: FNV-1a over its UTF-16 units.
std::uint64_t IdOfSession(std::wstring_view identifier) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const wchar_t unit : identifier) {
    hash ^= static_cast<std::uint16_t>(unit);
    hash *= 1099511628211ull;
  }
  return hash;
}

struct Session {
  std::uint64_t id = 0;
  std::uint32_t process = 0;
  UniqueHandle<ComTraits<ISimpleAudioVolume>> volume;
};

// Calls `visit` with each session of the device until it returns false.
void VisitSessions(IMMDevice* speakers, const std::function<bool(Session&)>& visit) {
  if (!speakers) return;
  UniqueHandle<ComTraits<IAudioSessionManager2>> manager;
  if (FAILED(speakers->Activate(__uuidof(IAudioSessionManager2), CLSCTX_ALL, nullptr,
                                reinterpret_cast<void**>(manager.Put())))) {
    return;
  }
  UniqueHandle<ComTraits<IAudioSessionEnumerator>> sessions;
  int count = 0;
  if (FAILED(manager.Get()->GetSessionEnumerator(sessions.Put())) || FAILED(sessions.Get()->GetCount(&count))) return;
  for (int i = 0; i < count; ++i) {
    UniqueHandle<ComTraits<IAudioSessionControl>> control;
    UniqueHandle<ComTraits<IAudioSessionControl2>> named;
    if (FAILED(sessions.Get()->GetSession(i, control.Put())) ||
        FAILED(control.Get()->QueryInterface(__uuidof(IAudioSessionControl2), reinterpret_cast<void**>(named.Put())))) {
      continue;
    }
    Session session;
    LPWSTR identifier = nullptr;
    if (FAILED(named.Get()->GetSessionInstanceIdentifier(&identifier)) || !identifier) continue;
    session.id = IdOfSession(identifier);
    ComLibrary().freeMemory(identifier);
    DWORD process = 0;
    if (SUCCEEDED(named.Get()->GetProcessId(&process))) session.process = process;
    if (FAILED(control.Get()->QueryInterface(__uuidof(ISimpleAudioVolume), reinterpret_cast<void**>(session.volume.Put())))) {
      continue;
    }
    if (!visit(session)) return;
  }
}

}  // namespace

std::vector<ProgramStream> EndpointMixer::ProgramStreams() {
  std::vector<ProgramStream> streams;
  const auto parents = ParentsOfProcesses();
  VisitSessions(speakers_.Get(), [&](Session& session) {
    BOOL muted = FALSE;
    ProgramStream stream{.id = session.id, .processes = {}, .muted = false};
    if (SUCCEEDED(session.volume.Get()->GetMute(&muted))) stream.muted = muted != FALSE;
    // A bound on the walk up: parents' ids are reused, and may make a loop.
    constexpr int kDeepestAncestry = 64;
    std::uint32_t process = session.process;
    for (int depth = 0; process != 0 && depth < kDeepestAncestry; ++depth) {
      stream.processes.push_back(process);
      const auto parent = parents.find(process);
      process = parent == parents.end() ? 0 : parent->second;
    }
    streams.push_back(std::move(stream));
    return true;
  });
  return streams;
}

bool EndpointMixer::SetStreamMuted(std::uint64_t stream, bool muted) {
  bool done = false;
  VisitSessions(speakers_.Get(), [&](Session& session) {
    if (session.id != stream) return true;
    done = SUCCEEDED(session.volume.Get()->SetMute(muted ? TRUE : FALSE, nullptr));
    return false;
  });
  return done;
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
