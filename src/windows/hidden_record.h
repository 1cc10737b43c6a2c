#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/window_manager.h"

namespace blindfold {

// The hidden-window record: empty, or "," followed by a handle in decimal for
// every window, e.g. ",1234,5678". Parsing skips empty pieces (the one before
// the first comma among them) and pieces that are not a 32-bit number, and
// keeps duplicates and order.
std::vector<WindowHandle> ParseHiddenWindows(std::string_view record);

void AppendHiddenWindow(std::string& record, WindowHandle window);
void AppendHiddenWindow(std::string& record, std::string_view handleText);

}  // namespace blindfold
