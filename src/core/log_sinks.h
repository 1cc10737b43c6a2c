#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "core/log.h"

namespace blindfold::log {

// Starts the log when `levelText` (the BLINDFOLD_LOG setting) names a level,
// writing to `open()`'s file, which the log then owns, or to standard error
// when it gives none. False when the log stays off; `open` is then not called.
template <typename OpenFile>
bool StartWithSetting(const char* levelText, OpenFile open) {
  if (!levelText) return false;
  const auto level = ParseLevel(levelText);
  if (!level) return false;
  std::shared_ptr<std::FILE> file(open(), [](std::FILE* f) {
    if (f) std::fclose(f);
  });
  if (!file) file.reset(stderr, [](std::FILE*) {});
  Start(*level, [file](std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), file.get());
    std::fputc('\n', file.get());
    std::fflush(file.get());
  });
  return true;
}

}  // namespace blindfold::log
