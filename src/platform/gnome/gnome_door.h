#pragma once

#include <memory>

#include "platform/linux/desktop_door.h"

namespace blindfold::gnome {

// A GNOME session on Wayland: its Shell is the one that may hide a window or
// hear a key, through Blindfold's extension.
bool DetectGnome();
std::unique_ptr<OpenDoor> OpenGnome(const DoorNeeds& needs);

}  // namespace blindfold::gnome
