#pragma once

#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/mixer.h"
#include "core/unique_handle.h"

namespace blindfold::linux_desktop {

struct MainloopTraits {
  using Handle = pa_mainloop*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle loop) { pa_mainloop_free(loop); }
};
struct ContextTraits {
  using Handle = pa_context*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle context) {
    pa_context_disconnect(context);
    pa_context_unref(context);
  }
};

// The default sink of the sound server (PulseAudio, or PipeWire serving the
// same protocol) as the speakers. No server, or no sink, is no device. No
// request waits long for a server that has hung, and one that went away is
// connected to again at the next request.
class PulseMixer final : public Mixer {
 public:
  bool Open() override;
  std::optional<VolumeControl> FindSpeakersVolume() override;
  bool SetValue(const VolumeControl& control, std::uint32_t value) override;
  std::vector<ProgramStream> ProgramStreams() override;
  bool SetStreamMuted(std::uint64_t stream, bool muted) override;

  // The sink's volume on the mixer's 0..65535 scale (the loudest channel).
  std::optional<std::uint32_t> Value();

 private:
  bool RunUntil(const std::function<bool()>& done);
  bool Wait(pa_operation* operation);
  bool Connected();
  void Disconnect();
  bool ReadDefaultSink();

  UniqueHandle<MainloopTraits> loop_;
  UniqueHandle<ContextTraits> context_;  // after the loop it runs on, so that it goes first
  std::string sink_;
  std::uint8_t channels_ = 0;
  std::uint32_t volume_ = 0;
};

// The mixer's 0..65535 and the server's volume, where PA_VOLUME_NORM is full.
std::uint32_t ServerVolumeOf(std::uint32_t mixerValue);
std::uint32_t MixerValueOf(std::uint32_t serverVolume);

}  // namespace blindfold::linux_desktop
