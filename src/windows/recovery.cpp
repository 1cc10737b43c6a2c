#include "windows/recovery.h"

#include <unordered_set>

#include "settings/value_text.h"

namespace blindfold {
namespace {

constexpr int kFullClassNameChars = 257;

}  // namespace

void RecoveryRecord::Add(const std::vector<WindowHandle>& hidden) {
  std::vector<RecoveredWindow> recorded = Load();
  for (const WindowHandle window : hidden) {
    if (!window) continue;
    recorded.push_back({window, windows_.ProcessId(window), windows_.ClassName(window, kFullClassNameChars)});
  }
  SettingsStore store(registry_);
  store.RegWrite(kPath, Format(recorded));
}

void RecoveryRecord::Clear() {
  SettingsStore store(registry_);
  if (store.RegRead(kPath).value_or("").empty()) return;
  store.RegWrite(kPath, "");
}

std::vector<RecoveredWindow> RecoveryRecord::Load() {
  SettingsStore store(registry_);
  return Parse(store.RegRead(kPath).value_or(""));
}

std::string RecoveryRecord::Format(const std::vector<RecoveredWindow>& windows) {
  std::string text;
  for (const RecoveredWindow& window : windows) {
    // A class name with a line break could not be read back; such a window is
    // left out rather than mistaken for another.
    if (window.className.find('\n') != std::string::npos) continue;
    text += std::to_string(window.handle.Value()) + "," + std::to_string(window.processId) + "," + window.className + "\n";
  }
  return text;
}

std::vector<RecoveredWindow> RecoveryRecord::Parse(std::string_view text) {
  std::vector<RecoveredWindow> windows;
  for (const std::string_view line : SplitText(text, '\n')) {
    const std::size_t first = line.find(',');
    const std::size_t second = first == std::string_view::npos ? first : line.find(',', first + 1);
    if (second == std::string_view::npos) continue;
    const auto handle = ParseInt32(line.substr(0, first));
    const auto process = ParseWholeNumber(line.substr(first + 1, second - first - 1));
    if (!handle || *handle == 0 || !process || *process <= 0 || *process > 0xFFFFFFFFll) continue;
    windows.push_back({WindowHandle(*handle), static_cast<std::uint32_t>(*process), std::string(line.substr(second + 1))});
  }
  return windows;
}

std::vector<WindowHandle> WindowsToRecover(WindowManager& windows, const std::vector<RecoveredWindow>& recorded) {
  std::vector<WindowHandle> ours;
  std::unordered_set<WindowHandle> seen;
  for (const RecoveredWindow& window : recorded) {
    if (!seen.insert(window.handle).second) continue;
    if (windows.ProcessId(window.handle) != window.processId) continue;  // gone, or someone else's now
    if (windows.IsWindowVisible(window.handle)) continue;                // shown meanwhile
    if (windows.ClassName(window.handle, kFullClassNameChars) != window.className) continue;
    ours.push_back(window.handle);
  }
  return ours;
}

}  // namespace blindfold
