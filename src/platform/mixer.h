#pragma once

#include <cstdint>
#include <optional>

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

class Mixer {
 public:
  virtual ~Mixer() = default;

  // Opens the first device; false when there is none.
  virtual bool Open() = 0;
  virtual std::optional<VolumeControl> FindSpeakersVolume() = 0;
  virtual bool SetValue(const VolumeControl& control, std::uint32_t value) = 0;
};

}  // namespace blindfold
