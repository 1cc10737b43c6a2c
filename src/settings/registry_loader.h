#pragma once

#include <string>

#include "panel/panel_model.h"
#include "settings/settings_store.h"

namespace blindfold {

// Copies every stored setting into the panel, once, as the main window loads.
// Each statement stands alone: a value that is missing, does not convert or is
// not accepted by its control is skipped, and its control keeps its state.
// The only values written are the hotkey defaults for missing hotkey texts.
// `defaultTrayIcon` is the tray icon's path when none is stored.
void LoadSettings(SettingsStore& store, PanelModel& panel, const std::string& defaultTrayIcon);

}  // namespace blindfold
