#include "settings/save_settings.h"

#include <array>

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
  for (const Modifier modifier : {Modifier::Win, Modifier::Ctrl, Modifier::Alt, Modifier::Shift}) {
    text += std::to_string(ModifierBox(panel, hotkey, modifier).value) + ",";
  }
  return text + UpperCase(HotkeyKeyBox(panel, hotkey).text);
}

std::vector<std::string> SaveRegistrySettings(SettingsStore& store, PanelModel& panel,
                                              const SaveActions& actions) {
  Writer writer(store);
  writer.Write(kBlindfoldShortcutKey, HotkeyTextFromPanel(panel, HotkeyId::Panel));
  writer.Write(kWindowsShortcutKey, HotkeyTextFromPanel(panel, HotkeyId::Windows));
  writer.Write(kPanicShortcutKey, HotkeyTextFromPanel(panel, HotkeyId::Panic));

  // An entry that stays would start Blindfold at the next log-on against the
  // user's choice.
  if (actions.autostart) {
    const bool kept = panel.chkStartWithWindows.value == 1 ? actions.autostart->TurnOn() : actions.autostart->TurnOff();
    if (!kept) writer.Fail(kAutostartName);
  }

  // Without an audio device the mute box is shown ticked and greyed; that is not
  // the user's choice and must not replace it.
  if (panel.chkMute.enabled) writer.Write(kMute, panel.chkMute.value);
  writer.Write(kSoundLevel, panel.Slider1.value);
  writer.Write(kStartHidden, panel.chkStartHidden.value);
  writer.Write(kDecoy, panel.txtDecoy.text);
  writer.Write(kShutdownProtected, panel.chkShutdownBlindfold.value);
  writer.Write(kShowWindowsProtected, panel.chkShowWindows.value);
  writer.Write(kShowBlindfoldProtected, panel.chkShowBlindfold.value);

  std::string alwaysHide;
  for (const ListRow& entry : panel.List2.Rows()) {
    if (alwaysHide.empty()) {
      alwaysHide = entry.text;
    } else {
      alwaysHide += "," + entry.text;
    }
  }
  writer.Write(kAlwaysHide, alwaysHide);

  if (actions.armHotkeys) actions.armHotkeys();

  StoreGesture(writer, kTrayMenu, panel.optTrayMenu, panel.lTrayMenu);
  StoreGesture(writer, kTrayHideWindows, panel.optTrayHideWindows, panel.lTrayHideWindows);

  // Written even when unchanged: a value stored as a number, or with text past
  // a stray end mark, reads like the box but is not what the box holds.
  bool trayChanged = false;
  for (const auto& [value, box] : {std::pair{&kTrayIcon, &panel.txtTrayIcon},
                                   std::pair{&kTrayIconTip, &panel.txtTrayIconTip}}) {
    trayChanged = trayChanged || store.RegRead(value->path) != box->text;
    writer.Write(*value, box->text);
  }
  // The warning at a second start is shown only for exactly "1".
  if (const auto warning = store.RegRead(kPrevInstWarning.path)) {
    writer.Write(kPrevInstWarning, *warning == "1" ? 1 : 0);
  }

  writer.Write(kDisplayIcon, panel.chkDisplayIcon.value);
  writer.Write(kProgramManager, panel.chkProgramManager.value);
  writer.Write(kTaskbar, panel.chkTaskbar.value);

  if (trayChanged && actions.reinstallTrayIcon) actions.reinstallTrayIcon();
  return writer.TakeFailures();
}

}  // namespace blindfold
