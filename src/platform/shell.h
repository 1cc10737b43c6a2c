#pragma once

#include <optional>
#include <string>

namespace blindfold {

class Shell {
 public:
  virtual ~Shell() = default;

  // Hands a web address to the user's browser without waiting for it.
  virtual bool OpenAddress(const std::string& address) = 0;
  // Starts a program with a normal, focused window.
  virtual bool StartProgram(const std::string& path) = 0;
  // The program the desktop offers for looking at the system, as registered
  // there, or nothing when there is none. An empty text is a registration that
  // names no program.
  virtual std::optional<std::string> SystemInformationProgram() = 0;
};

}  // namespace blindfold
