#include "settings/hotkey_arming.h"

#include <string_view>

#include "core/log.h"
#include "core/texts.h"

namespace blindfold {

std::optional<std::int32_t> VirtualKeyOf(std::string_view keyText) {
  if (keyText.empty()) return std::nullopt;
  const auto lead = static_cast<unsigned char>(keyText.front());
  const auto upper = (lead >= 'a' && lead <= 'z') ? lead - ('a' - 'A') : lead;
  return static_cast<std::int32_t>(upper);
}

bool IsUsableKey(std::string_view keyText) {
  return keyText.empty() || static_cast<unsigned char>(keyText.front()) < 0x80;
}

void ArmedHotkey::ArmFrom(PanelModel& panel, HotkeyId id, std::string_view program) {
  properties_.winKey = ModifierBox(panel, id, Modifier::Win).value != 0;
  properties_.ctrlKey = ModifierBox(panel, id, Modifier::Ctrl).value != 0;
  properties_.altKey = ModifierBox(panel, id, Modifier::Alt).value != 0;
  properties_.shiftKey = ModifierBox(panel, id, Modifier::Shift).value != 0;
  Label& status = HotkeyStatus(panel, id);
  const std::string& keyText = HotkeyKeyBox(panel, id).text;
  if (!IsUsableKey(keyText)) {
    status.caption = texts::HotkeyUnusableKey(keyText);
    status.visible = true;
    return;
  }
  // A bare key armed system-wide would take that letter from every program.
  if (!properties_.winKey && !properties_.ctrlKey && !properties_.altKey && !properties_.shiftKey) {
    platform_.Disarm();
    armed_ = false;
    status.caption = std::string(texts::kHotkeyWithoutModifier);
    status.visible = true;
    return;
  }
  if (const auto key = VirtualKeyOf(keyText)) properties_.vkey = *key;

  const HotkeyArmResult result = platform_.Arm(properties_);
  armed_ = result.armed;
  const HotkeyRow& row = RowOf(id);
  if (result.armed) {
    log::Info("hotkey", "the ", row.name, " hotkey armed");
  } else {
    log::Warning("hotkey", "the ", row.name, " hotkey refused: ", result.reason);
  }
  if (!result.armed) {
    status.caption = texts::HotkeyRefused(result.reason, std::string(program) + " " + OptionOf(row.command));
  } else if (keyText.empty()) {
    // Armed, but not with what the panel shows: say which key it still is.
    status.caption = texts::HotkeyKeptKey(static_cast<char>(properties_.vkey));
  } else {
    status.caption.clear();
  }
  status.visible = !status.caption.empty();
}

}  // namespace blindfold
