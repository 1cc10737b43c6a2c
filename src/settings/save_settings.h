#pragma once

#include <functional>
#include <string>
#include <vector>

#include "panel/panel_model.h"
#include "platform/autostart.h"
#include "settings/settings_store.h"

namespace blindfold {

struct SaveActions {
  Autostart* autostart = nullptr;  // none: the start at log-on is left as it is
  std::function<void()> armHotkeys;
  // Takes the tray icon out and puts it back with the panel's icon and tip.
  std::function<void()> reinstallTrayIcon;
};

// Writes every panel setting, turns the start at log-on on or off, arms
// the hotkeys, takes over the tray gestures and re-installs the tray icon when
// its file or tip changed. Each step stands alone: one that fails is skipped and
// the others still run. Returns the names of the settings that could be stored
// nowhere ("Blindfold" for the start at log-on), so that the user can be told
// instead of losing them at the next start.
std::vector<std::string> SaveSettings(SettingsStore& store, PanelModel& panel,
                                              const SaveActions& actions);

// The hotkey text of the panel's boxes for hotkey `h` (0 panel, 1 windows,
// 2 panic): four states and the upper-cased key, joined with ",".
std::string HotkeyTextFromPanel(const PanelModel& panel, HotkeyId hotkey);

}  // namespace blindfold
