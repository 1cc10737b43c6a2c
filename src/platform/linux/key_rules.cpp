#include "platform/x11/key_rules.h"

#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <utility>

namespace blindfold::x11 {

unsigned long KeysymOfVirtualKey(std::int32_t vkey) {
  if (vkey >= 'A' && vkey <= 'Z') return XK_a + static_cast<unsigned long>(vkey - 'A');
  if (vkey >= '0' && vkey <= '9') return XK_0 + static_cast<unsigned long>(vkey - '0');
  if (vkey >= 0x70 && vkey <= 0x87) return XK_F1 + static_cast<unsigned long>(vkey - 0x70);
  if (vkey >= 0x60 && vkey <= 0x69) return XK_KP_0 + static_cast<unsigned long>(vkey - 0x60);
  static constexpr std::array<std::pair<std::int32_t, unsigned long>, 33> kOthers = {{
      {0x08, XK_BackSpace}, {0x09, XK_Tab},        {0x0D, XK_Return},     {0x13, XK_Pause},
      {0x1B, XK_Escape},    {0x20, XK_space},      {0x21, XK_Prior},      {0x22, XK_Next},
      {0x23, XK_End},       {0x24, XK_Home},       {0x25, XK_Left},       {0x26, XK_Up},
      {0x27, XK_Right},     {0x28, XK_Down},       {0x2C, XK_Print},      {0x2D, XK_Insert},
      {0x2E, XK_Delete},    {0x6A, XK_KP_Multiply}, {0x6B, XK_KP_Add},    {0x6D, XK_KP_Subtract},
      {0x6E, XK_KP_Decimal}, {0x6F, XK_KP_Divide}, {0xBA, XK_semicolon},  {0xBB, XK_equal},
      {0xBC, XK_comma},     {0xBD, XK_minus},      {0xBE, XK_period},     {0xBF, XK_slash},
      {0xC0, XK_grave},     {0xDB, XK_bracketleft}, {0xDC, XK_backslash}, {0xDD, XK_bracketright},
      {0xDE, XK_apostrophe},
  }};
  const auto found = std::ranges::find(kOthers, vkey, &std::pair<std::int32_t, unsigned long>::first);
  return found == kOthers.end() ? 0 : found->second;
}

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
