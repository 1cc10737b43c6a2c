#pragma once

#include <glib.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/linux_services.h"

namespace blindfold {

// The files the program ships with sit beside it in the build folder;
// installed, they live in the data folder beside bin instead.
class InstalledFiles final : public ProgramFiles {
 public:
  std::string ProgramFolder() override { return files_.ProgramFolder(); }
  std::string ShippedFile(std::string_view name) override {
    const std::string beside = files_.ShippedFile(name);
    return files_.FileExists(beside) ? beside : DataFolder() + "/" + std::string(name);
  }
  std::string ExecutableBaseName() override { return files_.ExecutableBaseName(); }
  bool FileExists(const std::string& path) override { return files_.FileExists(path); }
  std::optional<std::string> ReadFile(const std::string& path) override { return files_.ReadFile(path); }

 private:
  // The data folder of an installed program, or the build folder.
  std::string DataFolder() {
    const std::string folder = files_.ProgramFolder();
    if (folder.size() > 4 && folder.ends_with("/bin")) {
      const std::string shared = folder.substr(0, folder.size() - 4) + "/share/blindfold";
      if (g_file_test(shared.c_str(), G_FILE_TEST_IS_DIR)) return shared;
    }
    return folder;
  }

  linux_desktop::PosixProgramFiles files_;
};

}  // namespace blindfold
