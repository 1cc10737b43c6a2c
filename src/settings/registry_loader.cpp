#include "settings/registry_loader.h"

#include <array>
#include <optional>
#include <vector>

#include "settings/hotkey_text.h"
#include "settings/schema.h"
#include "settings/value_text.h"
#include "tray/tray_gestures.h"

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
  constexpr std::array kModifiers = {Modifier::Win, Modifier::Ctrl, Modifier::Alt, Modifier::Shift};
  for (std::size_t i = 0; i < kModifiers.size(); ++i) ModifierBox(panel, id, kModifiers[i]).value = fields->modifiers[i];
  HotkeyKeyBox(panel, id).text = fields->key;
}

void LoadGestureCode(SettingsStore& store, const StoredValue& value, std::int32_t negativeCode,
                     std::int32_t& code) {
  const auto text = store.RegRead(value.path);
  if (!text) return;
  if (const auto number = ParseInt32(*text)) code = *number < 0 ? negativeCode : *number;
}

}  // namespace

void GetRegistryValues(SettingsStore& store, PanelModel& panel, const std::string& defaultTrayIcon) {
  const auto panelKey = LoadHotkeyFields(store, kBlindfoldShortcutKey);
  const auto windowsKey = LoadHotkeyFields(store, kWindowsShortcutKey);
  const auto panicKey = LoadHotkeyFields(store, kPanicShortcutKey);

  LoadCheckBox(store, kMute, panel.chkMute);
  if (const auto level = ReadWholeNumber(store, kSoundLevel)) panel.Slider1.TrySetValue(*level);
  LoadCheckBox(store, kStartHidden, panel.chkStartHidden);

  LoadPasswordSwitch(store, kShowBlindfoldProtected, panel.chkShowBlindfold);
  LoadPasswordSwitch(store, kShowWindowsProtected, panel.chkShowWindows);
  LoadPasswordSwitch(store, kShutdownProtected, panel.chkShutdownBlindfold);

  if (const auto entries = store.RegRead(kAlwaysHide.path); entries && !entries->empty()) {
    for (const std::string_view entry : SplitText(*entries, ',')) panel.List2.AddItem(std::string(entry));
  }

  if (const auto decoy = store.RegRead(kDecoy.path); decoy && !decoy->empty()) panel.txtDecoy.text = *decoy;

  ApplyHotkeyFields(panelKey, panel, HotkeyId::Panel);
  ApplyHotkeyFields(windowsKey, panel, HotkeyId::Windows);
  ApplyHotkeyFields(panicKey, panel, HotkeyId::Panic);

  LoadGestureCode(store, kTrayMenu, kNegativeTrayMenuCode, panel.lTrayMenu);
  LoadGestureCode(store, kTrayHideWindows, kNegativeTrayHideWindowsCode, panel.lTrayHideWindows);
  for (std::size_t i = 0; i < panel.optTrayMenu.size(); ++i) {
    if (ParseInt32(panel.optTrayMenu[i].tag) == panel.lTrayMenu) optTrayMenu_Click(panel, i);
    if (ParseInt32(panel.optTrayHideWindows[i].tag) == panel.lTrayHideWindows) {
      optTrayHideWindows_Click(panel, i);
    }
  }

  if (auto icon = store.RegRead(kTrayIcon.path)) panel.strTrayIcon = std::move(*icon);
  if (panel.strTrayIcon.empty()) panel.strTrayIcon = defaultTrayIcon;
  panel.txtTrayIcon.text = panel.strTrayIcon;

  if (auto tip = store.RegRead(kTrayIconTip.path)) panel.strTrayIconTip = std::move(*tip);
  panel.txtTrayIconTip.text = panel.strTrayIconTip;

  LoadCheckBox(store, kDisplayIcon, panel.chkDisplayIcon);
  LoadCheckBox(store, kProgramManager, panel.chkProgramManager);
  LoadCheckBox(store, kTaskbar, panel.chkTaskbar);

  if (auto key = store.ReadAsSaved(kPasswordReadPath)) panel.txtPassword.HoldStored(std::move(*key));
}

}  // namespace blindfold
