#include "settings/hotkey_text.h"

#include "settings/value_text.h"

namespace blindfold {

std::vector<std::string> SplitHotkeyText(std::string_view text) {
  std::vector<std::string> fields;
  for (const std::string_view piece : SplitText(text, ',')) fields.emplace_back(piece);
  return fields;
}

}  // namespace blindfold
