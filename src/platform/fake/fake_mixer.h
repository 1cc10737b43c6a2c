#pragma once

#include <vector>

#include "platform/mixer.h"

namespace blindfold {

class FakeMixer final : public Mixer {
 public:
  bool Open() override {
    ++opened;
    return hasDevice;
  }
  std::optional<VolumeControl> FindSpeakersVolume() override {
    if (!hasVolumeControl) return std::nullopt;
    return VolumeControl{7, 0, 65535};
  }
  bool SetValue(const VolumeControl&, std::uint32_t value) override {
    values.push_back(value);
    return true;
  }

  int opened = 0;
  bool hasDevice = true;
  bool hasVolumeControl = true;
  std::vector<std::uint32_t> values;  // every value set, in order
};

}  // namespace blindfold
