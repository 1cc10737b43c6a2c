#pragma once

#include "platform/linux/desktop_door.h"

namespace blindfold::sway {

// sway's row in the table of desktop doors.
bool DetectSway();
std::unique_ptr<OpenDoor> OpenSway(const DoorNeeds& needs);

}  // namespace blindfold::sway
