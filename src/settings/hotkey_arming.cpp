#include "settings/hotkey_arming.h"

namespace blindfold {

std::optional<std::int32_t> VirtualKeyOf(std::string_view keyText) {
  if (keyText.empty()) return std::nullopt;
  const auto lead = static_cast<unsigned char>(keyText.front());
  if (lead < 0x80) {
    const auto upper = (lead >= 'a' && lead <= 'z') ? lead - ('a' - 'A') : lead;
    return static_cast<std::int32_t>(upper);
  }
  // A character beyond ASCII: its code point, which names no key the platform
  // knows, so the arming is reported as refused.
  std::int32_t codePoint = 0;
  int continuation = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
  codePoint = lead & (0x3F >> continuation);
  for (std::size_t i = 1; i <= static_cast<std::size_t>(continuation) && i < keyText.size(); ++i) {
    codePoint = (codePoint << 6) | (static_cast<unsigned char>(keyText[i]) & 0x3F);
  }
  return codePoint;
}

const TextBox& HotkeyKeyBox(const PanelModel& panel, HotkeyId id) {
  switch (id) {
    case HotkeyId::Panel:
      return panel.txtBlindfoldShortcutKey;
    case HotkeyId::Windows:
      return panel.txtWindowsShortcutKey;
    case HotkeyId::Panic:
      break;
  }
  return panel.txtPanicShortcutKey;
}

void VBHotKey::ArmFrom(PanelModel& panel, HotkeyId id) {
  const std::size_t first = 4 * static_cast<std::size_t>(id);
  properties_.winKey = panel.Check2[first].value != 0;
  properties_.ctrlKey = panel.Check2[first + 1].value != 0;
  properties_.altKey = panel.Check2[first + 2].value != 0;
  properties_.shiftKey = panel.Check2[first + 3].value != 0;
  if (const auto key = VirtualKeyOf(HotkeyKeyBox(panel, id).text)) properties_.vkey = *key;

  const HotkeyArmResult result = platform_.Arm(properties_);
  Label& status = panel.lblHotkeyStatus[static_cast<std::size_t>(id)];
  status.caption = result.armed ? "" : "Could not be registered: " + result.reason;
  status.visible = !result.armed;
}

}  // namespace blindfold
