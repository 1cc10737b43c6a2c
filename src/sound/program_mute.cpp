#include "sound/program_mute.h"

#include <algorithm>

#include "core/log.h"

namespace blindfold {
namespace {

std::uint32_t ProcessOf(const ProgramStream& stream) { return stream.processes.empty() ? 0 : stream.processes.front(); }

}  // namespace

void ProgramMute::Mute(const std::unordered_set<std::uint32_t>& programs) {
  if (programs.empty()) return;
  for (const ProgramStream& stream : mixer_.ProgramStreams()) {
    const bool ofAProgram = std::ranges::any_of(stream.processes, [&](std::uint32_t process) {
      return process != 0 && programs.contains(process);
    });
    if (!ofAProgram || stream.muted) continue;
    const bool held = std::ranges::any_of(muted_, [&](const MutedStream& muted) { return muted.id == stream.id; });
    if (held) continue;
    if (mixer_.SetStreamMuted(stream.id, true)) {
      log::Info("sound", "muted stream ", stream.id, " of process ", ProcessOf(stream));
      muted_.push_back({stream.id, ProcessOf(stream)});
    }
  }
}

void ProgramMute::Restore() {
  if (muted_.empty()) return;
  const std::vector<ProgramStream> playing = mixer_.ProgramStreams();
  for (const MutedStream& muted : muted_) {
    const bool stillPlays = std::ranges::any_of(playing, [&](const ProgramStream& stream) {
      return stream.id == muted.id && ProcessOf(stream) == muted.process;
    });
    if (stillPlays && mixer_.SetStreamMuted(muted.id, false)) {
      log::Info("sound", "stream ", muted.id, " unmuted");
    }
  }
  muted_.clear();
}

}  // namespace blindfold
