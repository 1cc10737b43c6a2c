#pragma once

#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/single_instance.h"
#include "settings/settings_store.h"

namespace blindfold {

// How the control-panel hotkey reads in the second-instance message, e.g.
// "WIN key + X" for "1,0,0,0,X". The pieces are joined exactly as they have
// always been, blanks included.
std::string KeyDescription(const std::vector<std::string>& hotkeyFields);

// The second-instance message for a control-panel hotkey text.
std::string SecondInstancePrompt(const std::string& hotkeyText);

enum class StartupRoad { SecondInstance, ShowPanel, StartHidden };

// The start routine up to loading the main window. A second instance shows the
// optional warning and must then end at once, touching nothing else; a first
// instance learns whether the panel starts hidden.
StartupRoad Startup(SingleInstance& instance, SettingsStore& store, MessageBoxes& messageBoxes);

}  // namespace blindfold
