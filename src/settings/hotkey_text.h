#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace blindfold {

// A hotkey text: Windows-key, Ctrl, Alt and Shift flags and the key, joined
// with ",".
std::vector<std::string> SplitHotkeyText(std::string_view text);

// A hotkey text that can be trusted: four check states and a key.
struct HotkeyFields {
  std::array<int, 4> modifiers{};  // Windows key, Ctrl, Alt, Shift
  std::string key;
};

// The fields of a well-formed hotkey text, or nothing. Anything else (another
// program's shorthand such as "Win+Z", a bare number, a value stored as a
// number, a key beyond plain ASCII) would otherwise leave the modifier boxes
// clear and arm a bare key for the whole system.
std::optional<HotkeyFields> ParseHotkeyText(std::string_view text);

}  // namespace blindfold
