#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "platform/mixer.h"
#include "platform/win32/unique_handle.h"

struct IAudioEndpointVolume;
struct IMMDevice;

namespace blindfold::win32 {

// The first audio device's mixer, through winmm: opened once, open while the
// program runs.
class WinmmMixer final : public Mixer {
 public:
  bool Open() override;
  std::optional<VolumeControl> FindSpeakersVolume() override;
  bool SetValue(const VolumeControl& control, std::uint32_t value) override;
  // winmm knows no program's sound apart.
  std::vector<ProgramStream> ProgramStreams() override { return {}; }
  bool SetStreamMuted(std::uint64_t, bool) override { return false; }

 private:
  UniqueHandle<MixerTraits> mixer_;
};

// The default playback device's master volume. On current Windows the winmm
// mixer reaches only this program's own audio session, not the speakers.
class EndpointMixer final : public Mixer {
 public:
  EndpointMixer();
  ~EndpointMixer() override;
  EndpointMixer(const EndpointMixer&) = delete;
  EndpointMixer& operator=(const EndpointMixer&) = delete;

  bool Open() override;
  std::optional<VolumeControl> FindSpeakersVolume() override;
  bool SetValue(const VolumeControl& control, std::uint32_t value) override;
  // The device's audio sessions, one a program (or a part of one) plays in.
  std::vector<ProgramStream> ProgramStreams() override;
  bool SetStreamMuted(std::uint64_t stream, bool muted) override;
  bool AcceptsChanges();

 private:
  bool comStarted_ = false;
  UniqueHandle<ComTraits<IMMDevice>> speakers_;
  UniqueHandle<ComTraits<IAudioEndpointVolume>> volume_;
};

// The endpoint volume where the platform provides it, the winmm mixer otherwise.
class Win32Mixer final : public Mixer {
 public:
  bool Open() override;
  std::optional<VolumeControl> FindSpeakersVolume() override { return chosen_->FindSpeakersVolume(); }
  bool SetValue(const VolumeControl& control, std::uint32_t value) override {
    return chosen_->SetValue(control, value);
  }
  // The sessions are the endpoint's, whichever fader was chosen.
  std::vector<ProgramStream> ProgramStreams() override { return endpoint_.ProgramStreams(); }
  bool SetStreamMuted(std::uint64_t stream, bool muted) override { return endpoint_.SetStreamMuted(stream, muted); }

 private:
  EndpointMixer endpoint_;
  WinmmMixer winmm_;
  Mixer* chosen_ = &winmm_;
};

}  // namespace blindfold::win32
