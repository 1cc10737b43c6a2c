#pragma once

#include <cstdint>
#include <vector>

namespace blindfold::x11 {

// The X keysym of a Windows virtual-key code, as the stored hotkeys name keys;
// 0 for a code with no counterpart here.
unsigned long KeysymOfVirtualKey(std::int32_t vkey);

// Every combination of the lock modifiers (NumLock, CapsLock, ScrollLock), the
// empty one first, so that a grab holds whatever locks are on. Masks of 0 (a
// lock this keyboard lacks) add nothing.
std::vector<unsigned int> LockVariants(unsigned int numLockMask, unsigned int capsLockMask,
                                       unsigned int scrollLockMask);

}  // namespace blindfold::x11
