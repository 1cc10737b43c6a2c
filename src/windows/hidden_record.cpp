#include "windows/hidden_record.h"

#include "settings/value_text.h"

namespace blindfold {

std::vector<WindowHandle> ParseHiddenWindows(std::string_view record) {
  std::vector<WindowHandle> windows;
  for (const std::string_view piece : SplitText(record, ',')) {
    if (piece.empty()) continue;
    if (const auto handle = ParseInt32(piece)) windows.emplace_back(*handle);
  }
  return windows;
}

void AppendHiddenWindow(std::string& record, WindowHandle window) {
  record += ',';
  record += std::to_string(window.Value());
}

void AppendHiddenWindow(std::string& record, std::string_view handleText) {
  record += ',';
  record += handleText;
}

}  // namespace blindfold
