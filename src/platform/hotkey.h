#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace blindfold {

struct HotkeyCombination {
  bool winKey = false;
  bool ctrlKey = false;
  bool altKey = false;
  bool shiftKey = false;
  std::int32_t vkey = 0;
};

// Why the platform did not take a combination, in words for the user.
struct HotkeyArmResult {
  bool armed = false;
  std::string reason;
};

// One system-wide hotkey. Arming replaces the combination armed before;
// `onPressed` runs on the user-interface thread, once per press (holding the
// keys down does not repeat it).
class HotkeyControl {
 public:
  virtual ~HotkeyControl() = default;

  virtual HotkeyArmResult Arm(const HotkeyCombination& combination) = 0;
  // Gives back whatever combination is armed.
  virtual void Disarm() = 0;
  virtual void SetPressedHandler(std::function<void()> onPressed) = 0;
};

}  // namespace blindfold
