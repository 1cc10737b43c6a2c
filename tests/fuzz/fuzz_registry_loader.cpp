// Every stored value at once, from arbitrary bytes, through the loader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/fake/fake_registry.h"
#include "settings/registry_loader.h"
#include "settings/schema.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  blindfold::FakeRegistry registry;
  // Each value gets a slice of the input; values are separated by 0x1e.
  std::size_t start = 0;
  for (const blindfold::StoredValue& value : blindfold::kSchema) {
    const std::size_t end = std::min(bytes.find('\x1e', start), bytes.size());
    if (start <= bytes.size()) registry.Set(std::string(value.path), bytes.substr(start, end - start));
    start = end + 1;
  }
  blindfold::SettingsStore store(registry);
  blindfold::PanelModel panel;
  blindfold::LoadSettings(store, panel, "C:\\Blindfold\\bf.ico");

  for (const blindfold::HotkeyBoxes& hotkey : panel.hotkeys) {
    for (const blindfold::CheckBox& box : hotkey.modifiers) {
      if (box.value < 0 || box.value > 2) __builtin_trap();
    }
  }
  if (panel.Slider1.value < 0 || panel.Slider1.value > 100) __builtin_trap();
  if (panel.trayMenuCode < 0 || panel.trayToggleCode < 0) __builtin_trap();
  return 0;
}
