#include "platform/linux/key_rules.h"

// The keysyms' numbers alone: XKB's, which are X's.
#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace blindfold::linux_desktop {

namespace {

// The keys that are not letters, digits, function keys or keypad digits: the
// virtual-key code, the keysym and the keysym's name.
struct OtherKey {
  std::int32_t vkey;
  unsigned long keysym;
  std::string_view name;
};
constexpr std::array<OtherKey, 33> kOthers = {{
    {0x08, XKB_KEY_BackSpace, "BackSpace"},     {0x09, XKB_KEY_Tab, "Tab"},
    {0x0D, XKB_KEY_Return, "Return"},           {0x13, XKB_KEY_Pause, "Pause"},
    {0x1B, XKB_KEY_Escape, "Escape"},           {0x20, XKB_KEY_space, "space"},
    {0x21, XKB_KEY_Prior, "Prior"},             {0x22, XKB_KEY_Next, "Next"},
    {0x23, XKB_KEY_End, "End"},                 {0x24, XKB_KEY_Home, "Home"},
    {0x25, XKB_KEY_Left, "Left"},               {0x26, XKB_KEY_Up, "Up"},
    {0x27, XKB_KEY_Right, "Right"},             {0x28, XKB_KEY_Down, "Down"},
    {0x2C, XKB_KEY_Print, "Print"},             {0x2D, XKB_KEY_Insert, "Insert"},
    {0x2E, XKB_KEY_Delete, "Delete"},           {0x6A, XKB_KEY_KP_Multiply, "KP_Multiply"},
    {0x6B, XKB_KEY_KP_Add, "KP_Add"},           {0x6D, XKB_KEY_KP_Subtract, "KP_Subtract"},
    {0x6E, XKB_KEY_KP_Decimal, "KP_Decimal"},   {0x6F, XKB_KEY_KP_Divide, "KP_Divide"},
    {0xBA, XKB_KEY_semicolon, "semicolon"},     {0xBB, XKB_KEY_equal, "equal"},
    {0xBC, XKB_KEY_comma, "comma"},             {0xBD, XKB_KEY_minus, "minus"},
    {0xBE, XKB_KEY_period, "period"},           {0xBF, XKB_KEY_slash, "slash"},
    {0xC0, XKB_KEY_grave, "grave"},             {0xDB, XKB_KEY_bracketleft, "bracketleft"},
    {0xDC, XKB_KEY_backslash, "backslash"},     {0xDD, XKB_KEY_bracketright, "bracketright"},
    {0xDE, XKB_KEY_apostrophe, "apostrophe"},
}};

}  // namespace

unsigned long KeysymOfVirtualKey(std::int32_t vkey) {
  if (vkey >= 'A' && vkey <= 'Z') return XKB_KEY_a + static_cast<unsigned long>(vkey - 'A');
  if (vkey >= '0' && vkey <= '9') return XKB_KEY_0 + static_cast<unsigned long>(vkey - '0');
  if (vkey >= 0x70 && vkey <= 0x87) return XKB_KEY_F1 + static_cast<unsigned long>(vkey - 0x70);
  if (vkey >= 0x60 && vkey <= 0x69) return XKB_KEY_KP_0 + static_cast<unsigned long>(vkey - 0x60);
  const auto found = std::ranges::find(kOthers, vkey, &OtherKey::vkey);
  return found == kOthers.end() ? 0 : found->keysym;
}

// The names are those of X's and XKB's keysym tables, where sway looks them up.
std::optional<std::string> KeysymName(unsigned long keysym) {
  if (keysym >= XKB_KEY_a && keysym <= XKB_KEY_z) return std::string(1, static_cast<char>('a' + (keysym - XKB_KEY_a)));
  if (keysym >= XKB_KEY_0 && keysym <= XKB_KEY_9) return std::string(1, static_cast<char>('0' + (keysym - XKB_KEY_0)));
  if (keysym >= XKB_KEY_F1 && keysym <= XKB_KEY_F24) return "F" + std::to_string(keysym - XKB_KEY_F1 + 1);
  if (keysym >= XKB_KEY_KP_0 && keysym <= XKB_KEY_KP_9) return "KP_" + std::to_string(keysym - XKB_KEY_KP_0);
  const auto found = std::ranges::find(kOthers, keysym, &OtherKey::keysym);
  if (found == kOthers.end()) return std::nullopt;
  return std::string(found->name);
}

}  // namespace blindfold::linux_desktop
