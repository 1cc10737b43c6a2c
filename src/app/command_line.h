#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/command_inbox.h"

namespace blindfold {

// What a start of the program was asked to do by its arguments.
struct CommandLine {
  enum class Kind {
    Start,    // no arguments: the program itself
    Send,     // `command`, to the running program
    Restore,  // the rescue: show every window recorded as hidden, then end
    Help,
    Version,
    Usage,    // arguments the program does not know: `wrong` says which
  };
  Kind kind = Kind::Start;
  Command command = Command::Toggle;
  std::string wrong;
};

// Reads the arguments after the program's name. Each option is a word after
// "--", "-" or "/", in any case ("--toggle", "/RESTORE"); only one is taken.
CommandLine ReadCommandLine(const std::vector<std::string>& arguments);

// Exit codes of a start with arguments.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;  // refused password, or the command could not be delivered
inline constexpr int kExitUsage = 2;   // unknown arguments, or no Blindfold running

// What a start that sent a command says and returns.
struct CommandEnd {
  int exitCode;
  std::string message;  // for standard error; empty for none
};
CommandEnd EndOfCommand(Delivery delivery);

}  // namespace blindfold
