// The parsers of hotkey texts and the always-hide entries, fed arbitrary text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "panel/panel_model.h"
#include "settings/hotkey_text.h"
#include "settings/value_text.h"
#include "windows/always_hide.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  const auto fields = blindfold::SplitHotkeyText(text);
  for (const std::string& field : fields) (void)blindfold::ParseWholeNumber(field);

  blindfold::ListBox entries;
  blindfold::ListBox rows;
  for (const std::string_view piece : blindfold::SplitText(text, ',')) {
    entries.AddItem(std::string(piece));
    rows.AddItem(std::string(piece));
  }
  blindfold::MarkAlwaysHideByFields(entries, std::nullopt, rows);
  blindfold::MarkAlwaysHideByWholeText(entries, rows);
  for (const blindfold::ListRow& row : rows.Rows()) {
    if (!row.marked) __builtin_trap();  // every row equals an entry
  }
  return 0;
}
