#pragma once

#include <optional>
#include <string_view>
#include <utility>

#include "panel/panel_model.h"
#include "core/texts.h"
#include "platform/command_inbox.h"
#include "platform/hotkey.h"
#include "settings/hotkey_text.h"

namespace blindfold {

// The key of a hotkey: the code of the first character of the upper-cased key
// text, which for letters and digits is the virtual-key code. Nothing for an
// empty text.
std::optional<std::int32_t> VirtualKeyOf(std::string_view keyText);

// Whether a key text can be armed: a character beyond ASCII would give the code
// of an unrelated key (0xC0 is the backquote key, for one), so it is refused.
bool IsUsableKey(std::string_view keyText);

// One of the three hotkey controls: the combination it was last given, armed
// with the platform. A new arming replaces the previous combination; an empty
// key box keeps the previous key while the modifiers change.
class ArmedHotkey {
 public:
  ArmedHotkey(HotkeyControl& platform, std::int32_t initialKey) : platform_(platform) {
    properties_.vkey = initialKey;
  }

  // Arms from the panel's boxes of hotkey `id` and reports on the Hotkeys page
  // whether the platform took the combination, naming for a refused one the
  // command of `program` (the name the program is started by) that does the
  // hotkey's work from a key binding instead.
  void ArmFrom(PanelModel& panel, HotkeyId id, std::string_view program = texts::kProgramName);
  // Whether the platform holds a combination for it: a press would reach us.
  bool Armed() const { return armed_; }

 private:
  HotkeyControl& platform_;
  HotkeyCombination properties_;
  bool armed_ = false;
};

}  // namespace blindfold
