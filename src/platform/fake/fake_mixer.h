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

  std::vector<ProgramStream> ProgramStreams() override { return hasDevice ? streams : std::vector<ProgramStream>(); }
  bool SetStreamMuted(std::uint64_t stream, bool muted) override {
    for (ProgramStream& playing : streams) {
      if (playing.id != stream) continue;
      playing.muted = muted;
      streamsSet.push_back(stream);
      return true;
    }
    return false;
  }

  int opened = 0;
  bool hasDevice = true;
  bool hasVolumeControl = true;
  std::vector<std::uint32_t> values;  // every value set, in order
  std::vector<ProgramStream> streams;
  std::vector<std::uint64_t> streamsSet;  // every stream muted or unmuted, in order
};

}  // namespace blindfold
