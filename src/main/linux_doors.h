#pragma once

// The desktop doors of the Linux program: how it reaches other programs'
// windows and the keys on each desktop, one row each in a table.
#include <span>

#include "platform/linux/desktop_door.h"

namespace blindfold {

// The doors in the order they are tried; the last one always holds.
std::span<const DoorRow> DesktopDoorRows();

}  // namespace blindfold
