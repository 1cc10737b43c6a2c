#include "settings/hotkey_text.h"

#include "settings/value_text.h"

namespace blindfold {

std::vector<std::string> SplitHotkeyText(std::string_view text) {
  std::vector<std::string> fields;
  for (const std::string_view piece : SplitText(text, ',')) fields.emplace_back(piece);
  return fields;
}

std::optional<HotkeyFields> ParseHotkeyText(std::string_view text) {
  const std::vector<std::string_view> pieces = SplitText(text, ',');
  HotkeyFields fields;
  if (pieces.size() != fields.modifiers.size() + 1) return std::nullopt;
  for (std::size_t i = 0; i < fields.modifiers.size(); ++i) {
    const auto state = ParseWholeNumber(pieces[i]);
    if (!state || *state < 0 || *state > 2) return std::nullopt;
    fields.modifiers[i] = static_cast<int>(*state);
  }
  // The key's first character is its virtual-key code: only a visible ASCII
  // character names the key the user sees. An empty key is what the panel saves
  // for an empty box, which keeps the key armed before.
  const std::string_view key = pieces.back();
  if (!key.empty() && (key.front() <= ' ' || static_cast<unsigned char>(key.front()) >= 0x7F)) return std::nullopt;
  fields.key = std::string(key);
  return fields;
}

}  // namespace blindfold
