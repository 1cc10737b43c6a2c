#include "platform/x11/grab_rules.h"

#include <algorithm>
#include <array>

namespace blindfold::x11 {

std::vector<unsigned int> LockVariants(unsigned int numLockMask, unsigned int capsLockMask,
                                       unsigned int scrollLockMask) {
  const std::array<unsigned int, 3> locks = {numLockMask, capsLockMask, scrollLockMask};
  std::vector<unsigned int> variants;
  for (unsigned int subset = 0; subset < 8; ++subset) {
    unsigned int mask = 0;
    for (unsigned int i = 0; i < 3; ++i) {
      if (subset & (1u << i)) mask |= locks[i];
    }
    if (std::ranges::find(variants, mask) == variants.end()) variants.push_back(mask);
  }
  return variants;
}

}  // namespace blindfold::x11
