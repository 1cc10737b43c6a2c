#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace blindfold {

// Where the program lives, and the few files it reads.
class ProgramFiles {
 public:
  virtual ~ProgramFiles() = default;

  // The folder of the running executable, without a trailing separator except
  // at a drive root.
  virtual std::string ProgramFolder() = 0;
  // The path of a file the program ships with; on Windows it sits beside the
  // executable.
  virtual std::string ShippedFile(std::string_view name) = 0;
  // The executable's file name without its ending (".exe" on Windows).
  virtual std::string ExecutableBaseName() = 0;
  virtual bool FileExists(const std::string& path) = 0;
  // The bytes of a file, or nothing when it cannot be read.
  virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
};

}  // namespace blindfold
