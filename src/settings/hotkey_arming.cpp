#include "settings/hotkey_arming.h"

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
  Label& status = panel.lblHotkeyStatus[static_cast<std::size_t>(id)];
  const std::string& keyText = HotkeyKeyBox(panel, id).text;
  if (!IsUsableKey(keyText)) {
    status.caption = "Could not be registered: \"" + keyText + "\" is not a key this hotkey can use.";
    status.visible = true;
    return;
  }
  if (const auto key = VirtualKeyOf(keyText)) properties_.vkey = *key;

  const HotkeyArmResult result = platform_.Arm(properties_);
  status.caption = result.armed ? "" : "Could not be registered: " + result.reason;
  status.visible = !result.armed;
}

}  // namespace blindfold
