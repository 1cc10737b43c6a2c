#include "core/log.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>

namespace blindfold::log {
namespace {

// -1 while the log is off. Read without the lock on every line, so that a log
// that is off costs one load.
std::atomic<int> gLevel{-1};
std::mutex gMutex;
Sink gSink;

std::string_view LevelName(Level level) {
  switch (level) {
    case Level::Error: return "error";
    case Level::Warning: return "warning";
    case Level::Info: return "info";
    case Level::Debug: return "debug";
  }
  return "?";
}

}  // namespace

std::optional<Level> ParseLevel(std::string_view text) {
  for (const Level level : {Level::Error, Level::Warning, Level::Info, Level::Debug}) {
    if (text == LevelName(level)) return level;
  }
  if (text == "1" || text == "on") return Level::Info;
  return std::nullopt;
}

void Start(Level level, Sink sink) {
  const std::lock_guard lock(gMutex);
  gSink = std::move(sink);
  gLevel = static_cast<int>(level);
}

void Stop() {
  const std::lock_guard lock(gMutex);
  gLevel = -1;
  gSink = nullptr;
}

bool Enabled(Level level) { return static_cast<int>(level) <= gLevel.load(std::memory_order_relaxed); }

void Write(Level level, std::string_view area, std::string_view message) {
  // Milliseconds since the epoch: enough to order lines and time a hide, and
  // free of any time-zone library.
  const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%lld.%03lld", static_cast<long long>(now.count() / 1000),
                static_cast<long long>(now.count() % 1000));
  std::string line;
  line.reserve(message.size() + area.size() + 40);
  line.append(stamp).append(" ").append(LevelName(level)).append(" ").append(area).append(": ").append(message);
  const std::lock_guard lock(gMutex);
  if (gSink && Enabled(level)) gSink(line);
}

}  // namespace blindfold::log
