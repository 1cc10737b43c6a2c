#pragma once

#include <map>
#include <string>

#include "platform/program_files.h"

namespace blindfold {

class FakeProgramFiles final : public ProgramFiles {
 public:
  std::string ProgramFolder() override { return folder; }
  std::string ShippedFile(std::string_view name) override { return folder + "\\" + std::string(name); }
  std::string ExecutableBaseName() override { return baseName; }
  bool FileExists(const std::string& path) override { return files.contains(path); }
  std::optional<std::string> ReadFile(const std::string& path) override {
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }

  std::string folder = "C:\\Program Files\\Blindfold";
  std::string baseName = "Blindfold";
  std::map<std::string, std::string> files;
};

}  // namespace blindfold
