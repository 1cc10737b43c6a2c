#pragma once

#include <functional>
#include <set>
#include <tuple>
#include <vector>

#include "platform/hotkey.h"

namespace blindfold {

// A hotkey that remembers what it was armed with and can be pressed by a test.
class FakeHotkey final : public HotkeyControl {
 public:
  HotkeyArmResult Arm(const HotkeyCombination& combination) override {
    armed.push_back(combination);
    active = !refuse;
    if (refuse) return {false, "another program already uses this combination"};
    return {true, ""};
  }
  void Disarm() override { active = false; }
  void SetPressedHandler(std::function<void()> onPressed) override { handler_ = std::move(onPressed); }
  void Press() {
    if (handler_) handler_();
  }
  const HotkeyCombination& Current() const { return armed.back(); }

  std::vector<HotkeyCombination> armed;
  bool refuse = false;
  bool active = false;  // the last combination armed is still held

 private:
  std::function<void()> handler_;
};

inline bool operator==(const HotkeyCombination& a, const HotkeyCombination& b) {
  return std::tie(a.winKey, a.ctrlKey, a.altKey, a.shiftKey, a.vkey) ==
         std::tie(b.winKey, b.ctrlKey, b.altKey, b.shiftKey, b.vkey);
}

}  // namespace blindfold
