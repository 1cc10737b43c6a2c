#include "settings/save_settings.h"

#include <array>
#include <variant>

#include "core/overloaded.h"
#include "settings/hotkey_arming.h"
#include "settings/schema.h"
#include "settings/value_text.h"

namespace blindfold {
namespace {

// How the start at log-on is named when it could not be kept.
constexpr std::string_view kAutostartName = "Blindfold";

std::string UpperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
  }
  return text;
}

class Writer {
 public:
  explicit Writer(SettingsStore& store) : store_(store) {}

  void Write(const StoredValue& value, const std::string& text) {
    if (!store_.RegWrite(value.path, text)) failed_.emplace_back(value.name);
  }
  void Write(const StoredValue& value, int number) { Write(value, std::to_string(number)); }
  void Fail(std::string_view name) { failed_.emplace_back(name); }

  std::vector<std::string> TakeFailures() { return std::move(failed_); }

 private:
  SettingsStore& store_;
  std::vector<std::string> failed_;
};

// Takes over the selected gesture of one option row; with none selected, no
// gesture acts, whatever code was stored before.
template <std::size_t N>
void StoreGesture(Writer& writer, const StoredValue& value, const std::array<OptionButton, N>& row,
                  std::int32_t& code) {
  code = 0;
  for (const OptionButton& option : row) {
    if (!option.value) continue;
    if (const auto number = ParseInt32(option.tag)) code = *number;
    break;
  }
  writer.Write(value, code);
}

}  // namespace

std::string HotkeyTextFromPanel(const PanelModel& panel, HotkeyId hotkey) {
  std::string text;
  for (const Modifier modifier : kModifiers) {
    text += std::to_string(ModifierBox(panel, hotkey, modifier).value) + ",";
  }
  return text + UpperCase(HotkeyKeyBox(panel, hotkey).text);
}

std::vector<std::string> SaveSettings(SettingsStore& store, PanelModel& panel,
                                              const SaveActions& actions) {
  Writer writer(store);
  bool trayChanged = false;
  for (const StoredValue& value : kSchema) {
    std::visit(Overloaded{
                   [&](const HotkeyField& field) { writer.Write(value, HotkeyTextFromPanel(panel, field.id)); },
                   [&](const CheckField& field) {
                     const CheckBox& box = panel.*field.box;
                     if (box.enabled || !field.savedOnlyWhenEnabled) writer.Write(value, box.value);
                   },
                   [&](const SwitchField& field) { writer.Write(value, (panel.*field.box).value); },
                   [&](const SliderField& field) { writer.Write(value, (panel.*field.slider).value); },
                   [&](const TextField& field) { writer.Write(value, (panel.*field.box).text); },
                   // Written even when unchanged: a value stored as a number, or with text
                   // past a stray end mark, reads like the box but is not what the box holds.
                   [&](const TrayTextField& field) {
                     const std::string& text = (panel.*field.box).text;
                     trayChanged = trayChanged || store.RegRead(value.path) != text;
                     writer.Write(value, text);
                   },
                   [&](const ListField& field) {
                     std::string entries;
                     for (const ListRow& entry : (panel.*field.list).Rows()) {
                       entries += (entries.empty() ? "" : ",") + entry.text;
                     }
                     writer.Write(value, entries);
                   },
                   [&](const GestureField& field) { StoreGesture(writer, value, panel.*field.row, panel.*field.code); },
                   // Set only by setting a password.
                   [&](const PasswordField&) {},
                   // The warning at a second start is shown only for exactly "1".
                   [&](const NormalisedFlag&) {
                     if (const auto flag = store.RegRead(value.path)) writer.Write(value, *flag == "1" ? 1 : 0);
                   },
               },
               value.binding);
  }

  // An entry that stays would start Blindfold at the next log-on against the
  // user's choice.
  if (actions.autostart) {
    const bool kept = panel.chkStartWithWindows.value == 1 ? actions.autostart->TurnOn() : actions.autostart->TurnOff();
    if (!kept) writer.Fail(kAutostartName);
  }
  if (actions.armHotkeys) actions.armHotkeys();
  if (trayChanged && actions.reinstallTrayIcon) actions.reinstallTrayIcon();
  return writer.TakeFailures();
}

}  // namespace blindfold
