#include "app/startup.h"

#include "settings/hotkey_text.h"
#include "settings/schema.h"
#include "settings/value_text.h"
#include "core/texts.h"

namespace blindfold {
namespace {

// Appends one modifier to the description: the first one named starts it with
// a trailing blank, later ones join with " + " and none.
void AddModifier(std::string& description, const std::vector<std::string>& fields, std::size_t field,
                 const char* name) {
  if (field >= fields.size() || fields[field] != "1") return;
  if (description.empty()) {
    description = std::string(name) + " key ";
  } else {
    description += std::string(" + ") + name + " key";
  }
}

}  // namespace

std::string KeyDescription(const std::vector<std::string>& hotkeyFields) {
  std::string description;
  AddModifier(description, hotkeyFields, 0, "WIN");
  AddModifier(description, hotkeyFields, 1, "CTRL");
  AddModifier(description, hotkeyFields, 2, "ALT");
  AddModifier(description, hotkeyFields, 3, "SHFT");
  description += "+ ";
  if (hotkeyFields.size() > 4) description += hotkeyFields[4];
  return description;
}

std::string SecondInstancePrompt(const std::string& hotkeyText) {
  return texts::SecondInstancePrompt(KeyDescription(SplitHotkeyText(hotkeyText)));
}

StartupRoad Startup(SingleInstance& instance, SettingsStore& store, MessageBoxes& messageBoxes) {
  if (instance.AnotherInstanceIsRunning()) {
    if (store.RegRead(kPrevInstWarning.path) == "1") {
      const std::string hotkeyText = store.RegRead(kBlindfoldShortcutKey.path).value_or("");
      const MessageBoxAnswer answer = messageBoxes.Show(SecondInstancePrompt(hotkeyText),
                                                        std::string(texts::kSecondInstanceTitle), MessageBoxStyle::WarningYesNo);
      if (answer == MessageBoxAnswer::No) store.RegWrite(kPrevInstWarning.path, "0");
    }
    return StartupRoad::SecondInstance;
  }
  const auto startHidden = store.RegRead(kStartHidden.path);
  return startHidden && ParseWholeNumber(*startHidden) == 1 ? StartupRoad::StartHidden
                                                            : StartupRoad::ShowPanel;
}

}  // namespace blindfold
