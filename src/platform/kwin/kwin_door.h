#pragma once

#include "platform/linux/desktop_door.h"

namespace blindfold::kwin {

// KWin's row in the table of desktop doors.
bool DetectKWin();
std::unique_ptr<OpenDoor> OpenKWin(const DoorNeeds& needs);

}  // namespace blindfold::kwin
