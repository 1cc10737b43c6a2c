#include "settings/registry_loader.h"

#include <array>
#include <variant>
#include <optional>
#include <vector>

#include "settings/hotkey_text.h"
#include "settings/schema.h"
#include "settings/value_text.h"
#include "settings/tray_gestures.h"

namespace blindfold {
namespace {

std::optional<long long> ReadWholeNumber(SettingsStore& store, const StoredValue& value) {
  const auto text = store.RegRead(value.path);
  if (!text) return std::nullopt;
  return ParseWholeNumber(*text);
}

// The skip-on-failure rule for the common case: a check box loaded from a
// stored state.
void LoadCheckBox(SettingsStore& store, const StoredValue& value, CheckBox& box) {
  if (const auto state = ReadWholeNumber(store, value)) box.TrySetValue(*state);
}

// A password switch is on or off: a grey box would look ticked while guarding
// nothing, so a stored grey state counts as on, and is saved as on.
void LoadPasswordSwitch(SettingsStore& store, const StoredValue& value, CheckBox& box) {
  const auto text = store.ReadAsSaved(value.path);
  const auto state = text ? ParseWholeNumber(*text) : std::nullopt;
  if (state && box.TrySetValue(*state) && box.value == 2) box.value = 1;
}

// A hotkey text, with its default written first when it is missing or not
// well-formed. When even the default cannot be stored, there are no fields.
std::optional<HotkeyFields> LoadHotkeyFields(SettingsStore& store, const StoredValue& value) {
  if (const auto text = store.RegRead(value.path)) {
    if (auto fields = ParseHotkeyText(*text)) return fields;
  }
  store.RegWrite(value.path, std::string(value.defaultText));
  const auto text = store.RegRead(value.path);
  return text ? ParseHotkeyText(*text) : std::nullopt;
}

void ApplyHotkeyFields(const std::optional<HotkeyFields>& fields, PanelModel& panel, HotkeyId id) {
  if (!fields) return;
  for (std::size_t i = 0; i < kModifiers.size(); ++i) ModifierBox(panel, id, kModifiers[i]).value = fields->modifiers[i];
  HotkeyKeyBox(panel, id).text = fields->key;
}

// Reads one stored value into what it is bound to.
class Loader {
 public:
  Loader(SettingsStore& store, PanelModel& panel, const std::string& defaultTrayIcon, const StoredValue& value)
      : store_(store), panel_(panel), defaultTrayIcon_(defaultTrayIcon), value_(value) {}

  void operator()(const HotkeyField& field) { ApplyHotkeyFields(LoadHotkeyFields(store_, value_), panel_, field.id); }
  void operator()(const CheckField& field) { LoadCheckBox(store_, value_, panel_.*field.box); }
  void operator()(const SwitchField& field) { LoadPasswordSwitch(store_, value_, panel_.*field.box); }
  void operator()(const SliderField& field) {
    if (const auto level = ReadWholeNumber(store_, value_)) (panel_.*field.slider).TrySetValue(*level);
  }
  void operator()(const TextField& field) {
    if (const auto text = store_.RegRead(value_.path); text && !text->empty()) (panel_.*field.box).text = *text;
  }
  void operator()(const TrayTextField& field) {
    std::string& kept = panel_.*field.kept;
    if (auto text = store_.RegRead(value_.path)) kept = std::move(*text);
    if (field.shippedIconWhenEmpty && kept.empty()) kept = defaultTrayIcon_;
    (panel_.*field.box).text = kept;
  }
  void operator()(const ListField& field) {
    if (const auto entries = store_.RegRead(value_.path); entries && !entries->empty()) {
      for (const std::string_view entry : SplitText(*entries, ',')) (panel_.*field.list).AddItem(std::string(entry));
    }
  }
  void operator()(const GestureField& field) {
    std::int32_t& code = panel_.*field.code;
    if (const auto text = store_.RegRead(value_.path)) {
      if (const auto number = ParseInt32(*text)) code = *number < 0 ? field.negativeCode : *number;
    }
    const TrayOptionRow& row = panel_.*field.row;
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (ParseInt32(row[i].tag) == code) field.select(panel_, i);
    }
  }
  void operator()(const PasswordField& field) {
    if (auto key = store_.ReadAsSaved(kPasswordReadPath)) (panel_.*field.box).HoldStored(std::move(*key));
  }
  void operator()(const NormalisedFlag&) {}

 private:
  SettingsStore& store_;
  PanelModel& panel_;
  const std::string& defaultTrayIcon_;
  const StoredValue& value_;
};

}  // namespace

void LoadSettings(SettingsStore& store, PanelModel& panel, const std::string& defaultTrayIcon) {
  for (const StoredValue& value : kSchema) std::visit(Loader(store, panel, defaultTrayIcon, value), value.binding);
}

}  // namespace blindfold
