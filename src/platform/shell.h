#pragma once

#include <string>

namespace blindfold {

class Shell {
 public:
  virtual ~Shell() = default;

  // Hands a web address to the user's browser without waiting for it.
  virtual bool OpenAddress(const std::string& address) = 0;
  // Starts a program with a normal, focused window.
  virtual bool StartProgram(const std::string& path) = 0;
};

}  // namespace blindfold
