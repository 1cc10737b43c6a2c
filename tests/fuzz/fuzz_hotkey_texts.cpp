// Stored hotkey texts, from arbitrary bytes, through loading and arming: no
// text may arm a key without a modifier, and what is read is read the same way
// again once written back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/fake/fake_hotkey.h"
#include "platform/fake/fake_registry.h"
#include "settings/hotkey_arming.h"
#include "settings/hotkey_text.h"
#include "settings/registry_loader.h"
#include "settings/save_settings.h"
#include "settings/schema.h"

namespace {

bool HasModifier(const blindfold::HotkeyCombination& combination) {
  return combination.winKey || combination.ctrlKey || combination.altKey || combination.shiftKey;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace blindfold;
  const std::string text(reinterpret_cast<const char*>(data), size);

  if (const auto fields = ParseHotkeyText(text)) {
    std::string again;
    for (const int state : fields->modifiers) again += std::to_string(state) + ",";
    again += fields->key;
    const auto reread = ParseHotkeyText(again);
    if (!reread || reread->modifiers != fields->modifiers || reread->key != fields->key) __builtin_trap();
  }

  FakeRegistry registry;
  for (const StoredValue* value : {&kBlindfoldShortcutKey, &kWindowsShortcutKey, &kPanicShortcutKey}) {
    registry.Set(std::string(value->path), text);
  }
  SettingsStore store(registry);
  PanelModel panel;
  LoadSettings(store, panel, "C:\\Blindfold\\bf.ico");
  for (const HotkeyRow& row : kHotkeys) {
    const HotkeyId id = row.id;
    FakeHotkey platform;
    ArmedHotkey hotkey(platform, 'Z');
    hotkey.ArmFrom(panel, id);
    for (const HotkeyCombination& armed : platform.armed) {
      if (!HasModifier(armed)) __builtin_trap();
    }
    // What the panel would save is read back as the same hotkey.
    const std::string saved = HotkeyTextFromPanel(panel, id);
    const auto reread = ParseHotkeyText(saved);
    if (!reread || reread->key.size() != HotkeyKeyBox(panel, id).text.size()) __builtin_trap();
  }
  return 0;
}
