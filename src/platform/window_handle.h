#pragma once

#include <cstdint>

namespace blindfold {

// A top-level window of any program, named by its 32-bit handle. Handles of
// windows are guaranteed to fit in 32 bits on every Windows build, which is why
// the logic, the hidden-window record and the stored settings can all use them
// as plain signed numbers.
using WindowHandle = std::int32_t;

}  // namespace blindfold
