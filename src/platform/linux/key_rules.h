#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace blindfold::linux_desktop {

// The keysym of a Windows virtual-key code, as the stored hotkeys name keys
// (X and XKB number keysyms alike); 0 for a code with no counterpart here.
unsigned long KeysymOfVirtualKey(std::int32_t vkey);

// The name of a keysym KeysymOfVirtualKey gives, as X and XKB write it ("a",
// "F5", "Prior"): how a compositor's configuration names a key. Nothing for
// another keysym.
std::optional<std::string> KeysymName(unsigned long keysym);

}  // namespace blindfold::linux_desktop
