#include "settings/save_settings.h"

#include "settings/hotkey_arming.h"
#include "settings/schema.h"
#include "settings/value_text.h"

namespace blindfold {
namespace {

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
  void Fail(const StoredValue& value) { failed_.emplace_back(value.name); }

  std::vector<std::string> TakeFailures() { return std::move(failed_); }

 private:
  SettingsStore& store_;
  std::vector<std::string> failed_;
};

// Takes over the selected gesture of one option row, if any.
void StoreGesture(Writer& writer, const StoredValue& value, const OptionButton& option, std::int32_t& code) {
  if (!option.value) return;
  writer.Write(value, option.tag);
  if (const auto number = ParseInt32(option.tag)) code = *number;
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

  if (panel.chkStartWithWindows.value == 1) {
    writer.Write(kRunAtLogon, actions.programFolder + "\\" + actions.executableBaseName + ".exe");
  } else if (!store.RegDelete(kRunAtLogon.path) && store.RegRead(kRunAtLogon.path)) {
    // Usually there is nothing to delete; an entry that stays would start
    // Blindfold at the next log-on against the user's choice.
    writer.Fail(kRunAtLogon);
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

  for (std::size_t i = 0; i < panel.optTrayMenu.size(); ++i) {
    StoreGesture(writer, kTrayMenu, panel.optTrayMenu[i], panel.lTrayMenu);
    StoreGesture(writer, kTrayHideWindows, panel.optTrayHideWindows[i], panel.lTrayHideWindows);
  }

  bool trayChanged = false;
  for (const auto& [value, box] : {std::pair{&kTrayIcon, &panel.txtTrayIcon},
                                   std::pair{&kTrayIconTip, &panel.txtTrayIconTip}}) {
    if (store.RegRead(value->path) != box->text) {
      writer.Write(*value, box->text);
      trayChanged = true;
    }
  }

  writer.Write(kDisplayIcon, panel.chkDisplayIcon.value);
  writer.Write(kProgramManager, panel.chkProgramManager.value);
  writer.Write(kTaskbar, panel.chkTaskbar.value);

  if (trayChanged && actions.reinstallTrayIcon) actions.reinstallTrayIcon();
  return writer.TakeFailures();
}

}  // namespace blindfold
