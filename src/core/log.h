#pragma once

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

namespace blindfold::log {

// How much is written: a level lets through itself and every level above it.
enum class Level { Error, Warning, Info, Debug };

// The level a setting names ("error", "warning", "info", "debug"; "1" and
// "on" mean info), or nothing when it names none, which leaves the log off.
std::optional<Level> ParseLevel(std::string_view text);

// Where the finished lines go, each without its line end.
using Sink = std::function<void(std::string_view line)>;

// Switches the log on at `level`; until then, and after Stop, nothing is
// written and nothing is even formatted.
void Start(Level level, Sink sink);
void Stop();

bool Enabled(Level level);
void Write(Level level, std::string_view area, std::string_view message);

// A line of any printable parts, formatted only when its level is on. The log
// is for decisions and their reasons: never give it a password or a key.
template <typename... Parts>
void Line(Level level, std::string_view area, const Parts&... parts) {
  if (!Enabled(level)) return;
  std::ostringstream message;
  (message << ... << parts);
  Write(level, area, message.str());
}

template <typename... Parts>
void Error(std::string_view area, const Parts&... parts) {
  Line(Level::Error, area, parts...);
}
template <typename... Parts>
void Warning(std::string_view area, const Parts&... parts) {
  Line(Level::Warning, area, parts...);
}
template <typename... Parts>
void Info(std::string_view area, const Parts&... parts) {
  Line(Level::Info, area, parts...);
}
template <typename... Parts>
void Debug(std::string_view area, const Parts&... parts) {
  Line(Level::Debug, area, parts...);
}

}  // namespace blindfold::log
