#pragma once

#include <string>
#include <vector>

#include "platform/shell.h"

namespace blindfold {

// Remembers every address and program it was asked to open, and can refuse.
class FakeShell final : public Shell {
 public:
  bool OpenAddress(const std::string& address) override {
    addressRequests.push_back(address);
    return !refuseAddresses;
  }
  bool StartProgram(const std::string& path) override {
    programRequests.push_back(path);
    return !refusePrograms;
  }

  std::optional<std::string> SystemInformationProgram() override { return systemInformationProgram; }

  std::optional<std::string> systemInformationProgram;
  std::vector<std::string> addressRequests;
  std::vector<std::string> programRequests;
  bool refuseAddresses = false;
  bool refusePrograms = false;
};

}  // namespace blindfold
