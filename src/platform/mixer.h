#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace blindfold {

struct VolumeControl {
  std::uint32_t controlId = 0;
  std::int32_t minimum = 0;
  std::int32_t maximum = 0;
};

// The speakers' master volume fader of the first audio device. Values run
// from 0 to 65535 whatever the device, as the mixer's volume controls do.
// A fader value as a share of the whole range, for volumes that run from 0 to 1.
inline float FaderShare(std::uint32_t faderValue) {
  constexpr std::uint32_t kFaderTop = 65535;
  return static_cast<float>(faderValue < kFaderTop ? faderValue : kFaderTop) / static_cast<float>(kFaderTop);
}

// A stream of sound a program plays, as the sound system tells it.
struct ProgramStream {
  // The stream's id while it plays.
  std::uint64_t id = 0;
  // The process that plays it, then that process's parent, and so on up to
  // the first the system will not tell; empty when the stream names none.
  std::vector<std::uint32_t> processes;
  bool muted = false;
};

class Mixer {
 public:
  virtual ~Mixer() = default;

  // Opens the first device; false when there is none.
  virtual bool Open() = 0;
  virtual std::optional<VolumeControl> FindSpeakersVolume() = 0;
  virtual bool SetValue(const VolumeControl& control, std::uint32_t value) = 0;

  // The streams programs play now on the output; empty without a device.
  virtual std::vector<ProgramStream> ProgramStreams() = 0;
  // Mutes or unmutes one stream; false when it has ended or the system refused.
  virtual bool SetStreamMuted(std::uint64_t stream, bool muted) = 0;
};

}  // namespace blindfold
