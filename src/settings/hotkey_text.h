#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace blindfold {

// The three hotkeys, in the order the panel and the store list them.
enum class HotkeyId { Panel = 0, Windows = 1, Panic = 2 };

// A hotkey text: Windows-key, Ctrl, Alt and Shift flags and the key, joined
// with ",". Fields past the fifth are kept but never used.
std::vector<std::string> SplitHotkeyText(std::string_view text);

}  // namespace blindfold
