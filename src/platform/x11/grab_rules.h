#pragma once

#include <vector>

namespace blindfold::x11 {

// Every combination of the lock modifiers (NumLock, CapsLock, ScrollLock), the
// empty one first, so that a grab holds whatever locks are on. Masks of 0 (a
// lock this keyboard lacks) add nothing.
std::vector<unsigned int> LockVariants(unsigned int numLockMask, unsigned int capsLockMask,
                                       unsigned int scrollLockMask);

}  // namespace blindfold::x11
