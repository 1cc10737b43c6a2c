#include "windows/recovery.h"

#include <algorithm>
#include <unordered_set>

#include "settings/value_text.h"

namespace blindfold {
namespace {

constexpr int kFullClassNameChars = 257;
constexpr std::string_view kGuardedLine = "guarded";

// A class name may hold any byte (an X class is Latin-1, and may hold a line
// break): in the record it is plain ASCII, so that no store rejects the text
// and no line splits, with '%' and every other byte written as %XX.
std::string EscapedClass(std::string_view className) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (const char c : className) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7F || c == '%') {
      escaped += '%';
      escaped += kHex[byte >> 4];
      escaped += kHex[byte & 0xF];
    } else {
      escaped += c;
    }
  }
  return escaped;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A '%' not followed by two hex digits stays as it is, as a record written
// before the escape would have it.
std::string UnescapedClass(std::string_view escaped) {
  std::string className;
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] == '%' && i + 2 < escaped.size() && HexDigit(escaped[i + 1]) >= 0 && HexDigit(escaped[i + 2]) >= 0) {
      className += static_cast<char>(HexDigit(escaped[i + 1]) * 16 + HexDigit(escaped[i + 2]));
      i += 2;
    } else {
      className += escaped[i];
    }
  }
  return className;
}

}  // namespace

void RecoveryRecord::Add(const std::vector<WindowHandle>& hidden) {
  const std::string text = Text();
  std::vector<RecoveredWindow> recorded = Parse(text);
  std::unordered_set<WindowHandle> known;
  for (const RecoveredWindow& window : recorded) known.insert(window.handle);
  for (const WindowHandle window : hidden) {
    if (!window || !known.insert(window).second) continue;
    recorded.push_back({window, windows_.ProcessId(window), windows_.ClassName(window, kFullClassNameChars)});
  }
  Write(recorded, ParseGuarded(text));
}

void RecoveryRecord::Remove(WindowHandle window) {
  const std::string text = Text();
  std::vector<RecoveredWindow> recorded = Parse(text);
  std::erase_if(recorded, [window](const RecoveredWindow& recordedWindow) { return recordedWindow.handle == window; });
  Write(recorded, ParseGuarded(text));
}

void RecoveryRecord::SetGuarded(bool guarded) {
  const std::string text = Text();
  if (ParseGuarded(text) != guarded) Write(Parse(text), guarded);
}

bool RecoveryRecord::Guarded() { return ParseGuarded(Text()); }

bool RecoveryRecord::Empty() { return Text().empty(); }

// A record of another type than text reads as missing, and is cleared all the
// same: it must not come back at the next start.
void RecoveryRecord::Clear() {
  SettingsStore store(registry_);
  if (const auto text = store.RegRead(kPath); text && text->empty()) return;
  store.RegWrite(kPath, "");
}

std::vector<RecoveredWindow> RecoveryRecord::Load() { return Parse(Text()); }

std::string RecoveryRecord::Text() {
  SettingsStore store(registry_);
  return store.RegRead(kPath).value_or("");
}

void RecoveryRecord::Write(const std::vector<RecoveredWindow>& windows, bool guarded) {
  SettingsStore store(registry_);
  store.RegWrite(kPath, Format(windows, guarded));
}

std::string RecoveryRecord::Format(const std::vector<RecoveredWindow>& windows, bool guarded) {
  std::string text = guarded ? std::string(kGuardedLine) + "\n" : std::string();
  for (const RecoveredWindow& window : windows) {
    text += std::to_string(window.handle.Value()) + "," + std::to_string(window.processId) + "," +
            EscapedClass(window.className) + "\n";
  }
  return text;
}

bool RecoveryRecord::ParseGuarded(std::string_view text) { return text.substr(0, text.find('\n')) == kGuardedLine; }

std::vector<RecoveredWindow> RecoveryRecord::Parse(std::string_view text) {
  std::vector<RecoveredWindow> windows;
  std::size_t lines = 0;
  for (std::size_t start = 0; start < text.size() && lines < kMostLines; ++lines) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    const std::size_t first = line.find(',');
    const std::size_t second = first == std::string_view::npos ? first : line.find(',', first + 1);
    if (second == std::string_view::npos) continue;
    const auto handle = ParseInt32(line.substr(0, first));
    const auto process = ParseWholeNumber(line.substr(first + 1, second - first - 1));
    if (!handle || *handle == 0 || !process || *process <= 0 || *process > 0xFFFFFFFFll) continue;
    windows.push_back({WindowHandle(*handle), static_cast<std::uint32_t>(*process), UnescapedClass(line.substr(second + 1))});
  }
  return windows;
}

std::vector<WindowHandle> WindowsToRecover(WindowManager& windows, const std::vector<RecoveredWindow>& recorded) {
  std::vector<WindowHandle> ours;
  std::unordered_set<WindowHandle> seen;
  for (const RecoveredWindow& window : recorded) {
    if (!seen.insert(window.handle).second) continue;
    if (windows.ProcessId(window.handle) != window.processId) continue;  // gone, or someone else's now
    if (windows.ClassName(window.handle, kFullClassNameChars) != window.className) continue;
    if (!windows.HiddenByThisProgram(window.handle)) continue;
    ours.push_back(window.handle);
  }
  return ours;
}

}  // namespace blindfold
