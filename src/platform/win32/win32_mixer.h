#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "platform/mixer.h"

namespace blindfold::win32 {

// The first audio device's mixer, through winmm. It is opened once and stays
// open while the program runs.
class Win32Mixer final : public Mixer {
 public:
  bool Open() override;
  std::optional<VolumeControl> FindSpeakersVolume() override;
  bool SetValue(const VolumeControl& control, std::uint32_t value) override;

 private:
  HMIXER mixer_ = nullptr;
};

}  // namespace blindfold::win32
