#include "platform/x11/pulse_mixer.h"

#include <pulse/introspect.h>
#include <pulse/volume.h>

#include <algorithm>

namespace blindfold::x11 {
namespace {

struct OperationTraits {
  using Handle = pa_operation*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle operation) { pa_operation_unref(operation); }
};

constexpr std::uint32_t kMixerFull = 65535;

}  // namespace

std::uint32_t ServerVolumeOf(std::uint32_t mixerValue) {
  const std::uint64_t value = std::min(mixerValue, kMixerFull);
  return static_cast<std::uint32_t>((value * PA_VOLUME_NORM + kMixerFull / 2) / kMixerFull);
}

std::uint32_t MixerValueOf(std::uint32_t serverVolume) {
  const std::uint64_t volume = std::min<std::uint32_t>(serverVolume, PA_VOLUME_NORM);
  return static_cast<std::uint32_t>((volume * kMixerFull + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM);
}

// Runs the loop until the operation is done; false when the server went away.
bool PulseMixer::Wait(pa_operation* operation) {
  const UniqueHandle<OperationTraits> owned(operation);
  if (!operation) return false;
  while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
    if (pa_mainloop_iterate(loop_.Get(), 1, nullptr) < 0) return false;
  }
  return pa_operation_get_state(operation) == PA_OPERATION_DONE;
}

// The server is not started on demand: a desktop without one has no device.
bool PulseMixer::Open() {
  context_.Reset();
  loop_.Reset(pa_mainloop_new());
  if (!loop_) return false;
  context_.Reset(pa_context_new(pa_mainloop_get_api(loop_.Get()), "Blindfold"));
  if (!context_ || pa_context_connect(context_.Get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    context_.Reset();
    return false;
  }
  for (;;) {
    const pa_context_state_t state = pa_context_get_state(context_.Get());
    if (state == PA_CONTEXT_READY) break;
    if (!PA_CONTEXT_IS_GOOD(state) || pa_mainloop_iterate(loop_.Get(), 1, nullptr) < 0) {
      context_.Reset();
      return false;
    }
  }
  return ReadDefaultSink();
}

bool PulseMixer::ReadDefaultSink() {
  sink_.clear();
  const auto onServer = [](pa_context*, const pa_server_info* info, void* self) {
    if (info && info->default_sink_name) static_cast<PulseMixer*>(self)->sink_ = info->default_sink_name;
  };
  if (!Wait(pa_context_get_server_info(context_.Get(), onServer, this)) || sink_.empty()) return false;
  channels_ = 0;
  const auto onSink = [](pa_context*, const pa_sink_info* info, int, void* self) {
    if (!info) return;
    auto* mixer = static_cast<PulseMixer*>(self);
    mixer->channels_ = info->volume.channels;
    mixer->volume_ = pa_cvolume_max(&info->volume);
  };
  return Wait(pa_context_get_sink_info_by_name(context_.Get(), sink_.c_str(), onSink, this)) && channels_ > 0;
}

std::optional<VolumeControl> PulseMixer::FindSpeakersVolume() {
  if (!context_ || sink_.empty()) return std::nullopt;
  return VolumeControl{0, 0, static_cast<std::int32_t>(kMixerFull)};
}

bool PulseMixer::SetValue(const VolumeControl&, std::uint32_t value) {
  if (!context_ || sink_.empty()) return false;
  pa_cvolume volume;
  pa_cvolume_set(&volume, channels_, ServerVolumeOf(value));
  const auto onDone = [](pa_context*, int, void*) {};
  return Wait(pa_context_set_sink_volume_by_name(context_.Get(), sink_.c_str(), &volume, onDone, nullptr));
}

std::optional<std::uint32_t> PulseMixer::Value() {
  if (!context_ || !ReadDefaultSink()) return std::nullopt;
  return MixerValueOf(volume_);
}

}  // namespace blindfold::x11
