#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace blindfold {

// A hotkey text: Windows-key, Ctrl, Alt and Shift flags and the key, joined
// with ",". Fields past the fifth are kept but never used.
std::vector<std::string> SplitHotkeyText(std::string_view text);

}  // namespace blindfold
