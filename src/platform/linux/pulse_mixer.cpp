#include "platform/linux/pulse_mixer.h"

#include <pulse/introspect.h>
#include <pulse/proplist.h>
#include <pulse/volume.h>

#include <algorithm>
#include <charconv>
#include <string_view>
#include <chrono>
#include <functional>

#include "platform/linux/processes.h"

namespace blindfold::linux_desktop {
namespace {

struct OperationTraits {
  using Handle = pa_operation*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle operation) { pa_operation_unref(operation); }
};

constexpr std::uint32_t kMixerFull = 65535;
// How long the sound server has to answer a request. The user's hotkey waits
// on it, so a server that has hung is given up on: it counts as gone until it
// answers a new connection.
constexpr std::chrono::milliseconds kAnswerWithin{500};
// Events read off the connection before a request, at most: a bound, not a
// count expected.
constexpr int kMostPendingEvents = 16;

}  // namespace

std::uint32_t ServerVolumeOf(std::uint32_t mixerValue) {
  const std::uint64_t value = std::min(mixerValue, kMixerFull);
  return static_cast<std::uint32_t>((value * PA_VOLUME_NORM + kMixerFull / 2) / kMixerFull);
}

std::uint32_t MixerValueOf(std::uint32_t serverVolume) {
  const std::uint64_t volume = std::min<std::uint32_t>(serverVolume, PA_VOLUME_NORM);
  return static_cast<std::uint32_t>((volume * kMixerFull + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM);
}

// Runs the loop until `done` holds, but never past the time a server has to
// answer; false when it did not.
bool PulseMixer::RunUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + kAnswerWithin;
  while (!done()) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    if (pa_mainloop_prepare(loop_.Get(), static_cast<int>(left.count())) < 0 || pa_mainloop_poll(loop_.Get()) < 0 ||
        pa_mainloop_dispatch(loop_.Get()) < 0) {
      return false;
    }
  }
  return true;
}

// False when the server went away or did not answer in time: the connection
// is then let go, and the next request makes a new one.
bool PulseMixer::Wait(pa_operation* operation) {
  const UniqueHandle<OperationTraits> owned(operation);
  if (!operation) return false;
  if (!RunUntil([operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; })) {
    pa_operation_cancel(operation);
    Disconnect();
    return false;
  }
  return pa_operation_get_state(operation) == PA_OPERATION_DONE;
}

void PulseMixer::Disconnect() {
  context_.Reset();
  sink_.clear();
}

// The server is not started on demand: a desktop without one has no device.
bool PulseMixer::Open() {
  context_.Reset();
  loop_.Reset(pa_mainloop_new());
  if (!loop_) return false;
  context_.Reset(pa_context_new(pa_mainloop_get_api(loop_.Get()), "Blindfold"));
  if (!context_ || pa_context_connect(context_.Get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    Disconnect();
    return false;
  }
  pa_context* context = context_.Get();
  const bool settled = RunUntil([context] {
    const pa_context_state_t state = pa_context_get_state(context);
    return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
  });
  if (!settled || pa_context_get_state(context) != PA_CONTEXT_READY) {
    Disconnect();
    return false;
  }
  return ReadDefaultSink();
}

// A server that went away since the last request has left its news on the
// connection; reading it first lets a restarted server be found again at once.
bool PulseMixer::Connected() {
  if (context_) {
    for (int i = 0; i < kMostPendingEvents && pa_mainloop_iterate(loop_.Get(), 0, nullptr) > 0; ++i) {
    }
    if (pa_context_get_state(context_.Get()) == PA_CONTEXT_READY && !sink_.empty()) return true;
  }
  return Open();
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
  if (!Connected()) return std::nullopt;
  return VolumeControl{0, 0, static_cast<std::int32_t>(kMixerFull)};
}

bool PulseMixer::SetValue(const VolumeControl&, std::uint32_t value) {
  if (!Connected()) return false;
  pa_cvolume volume;
  pa_cvolume_set(&volume, channels_, ServerVolumeOf(value));
  const auto onDone = [](pa_context*, int, void*) {};
  return Wait(pa_context_set_sink_volume_by_name(context_.Get(), sink_.c_str(), &volume, onDone, nullptr));
}

// Each sink input, with the process its client says it is: PipeWire and
// PulseAudio both pass on what the client's library put in
// application.process.id, and its parents are read from /proc.
std::vector<ProgramStream> PulseMixer::ProgramStreams() {
  std::vector<ProgramStream> streams;
  if (!Connected()) return streams;
  const auto onInput = [](pa_context*, const pa_sink_input_info* info, int, void* list) {
    if (!info) return;
    ProgramStream stream{.id = info->index, .processes = {}, .muted = info->mute != 0};
    const char* pid = info->proplist ? pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID) : nullptr;
    std::uint32_t process = 0;
    if (pid) {
      const std::string_view text(pid);
      std::from_chars(text.data(), text.data() + text.size(), process);
    }
    // A bound on the walk up: a loop in what /proc says would not end it.
    constexpr int kDeepestAncestry = 64;
    for (int depth = 0; process > 1 && depth < kDeepestAncestry; ++depth) {
      stream.processes.push_back(process);
      process = ParentOfProcess(process);
    }
    static_cast<std::vector<ProgramStream>*>(list)->push_back(std::move(stream));
  };
  if (!Wait(pa_context_get_sink_input_info_list(context_.Get(), onInput, &streams))) return {};
  return streams;
}

bool PulseMixer::SetStreamMuted(std::uint64_t stream, bool muted) {
  if (!Connected() || stream > PA_INVALID_INDEX - 1) return false;
  bool done = false;
  const auto onDone = [](pa_context*, int success, void* result) { *static_cast<bool*>(result) = success != 0; };
  return Wait(pa_context_set_sink_input_mute(context_.Get(), static_cast<std::uint32_t>(stream), muted ? 1 : 0,
                                             onDone, &done)) &&
         done;
}

std::optional<std::uint32_t> PulseMixer::Value() {
  if (!Connected() || !ReadDefaultSink()) return std::nullopt;
  return MixerValueOf(volume_);
}

}  // namespace blindfold::linux_desktop
