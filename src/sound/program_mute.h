#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "platform/mixer.h"

namespace blindfold {

// The sound of the hidden windows' programs alone: their streams are muted
// while the windows are hidden, and each is given back what it had when they
// show. A stream that was muted already is left muted, and one that ended in
// between is forgotten.
class ProgramMute {
 public:
  explicit ProgramMute(Mixer& mixer) : mixer_(mixer) {}

  // Mutes every stream played by one of `programs` or by a process they
  // started, which a program's sound often comes from; a second call while
  // muted adds to the first.
  void Mute(const std::unordered_set<std::uint32_t>& programs);
  // Unmutes what Mute muted, where it still plays.
  void Restore();
  // Whether streams are held muted.
  bool Holding() const { return !muted_.empty(); }

 private:
  // A stream is known again by its id and its process: an id the sound system
  // has handed to a new stream is not the same stream.
  struct MutedStream {
    std::uint64_t id;
    std::uint32_t process;
  };

  Mixer& mixer_;
  std::vector<MutedStream> muted_;
};

}  // namespace blindfold
