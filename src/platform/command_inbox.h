#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace blindfold {

// What a later start of the program, given a command, asks of the running one:
// each does what its hotkey or menu item does.
enum class Command {
  Toggle,  // the windows hotkey
  Panic,   // the panic hotkey
  Panel,   // the control-panel hotkey
  Quit,    // the tray menu's Shutdown
};

// Each command with the word of its option ("toggle" for "--toggle") and
// what --help says of it.
struct CommandWord {
  Command command;
  std::string_view word;
  std::string_view help;
};
inline constexpr auto kCommandWords = std::to_array<CommandWord>({
    {Command::Toggle, "toggle", "hide or show the chosen windows, as the windows hotkey does"},
    {Command::Panic, "panic", "hide everything, as the panic hotkey does"},
    {Command::Panel, "panel", "show or hide the control panel, as the panel hotkey does"},
    {Command::Quit, "quit", "end Blindfold, as the tray menu's Shutdown does"},
});

inline std::string_view WordOf(Command command) {
  for (const auto& [each, word, help] : kCommandWords) {
    if (each == command) return word;
  }
  return {};
}

// The lines of --help that list the commands, their words in a column.
inline std::string CommandsHelp() {
  std::string lines;
  for (const auto& [command, word, help] : kCommandWords) {
    std::string option = "  --" + std::string(word);
    option.resize(std::max<std::size_t>(option.size() + 1, 13), ' ');
    lines += option + std::string(help) + "\n";
  }
  return lines;
}

// The option that sends `command`, as "--toggle".
inline std::string OptionOf(Command command) { return "--" + std::string(WordOf(command)); }

inline std::optional<Command> CommandOfWord(std::string_view word) {
  for (const auto& [command, each, help] : kCommandWords) {
    if (each == word) return command;
  }
  return std::nullopt;
}

// What the running program made of a command.
enum class CommandOutcome {
  Done,
  Refused,  // the password it asked for was not given
  Busy,     // it is in the middle of something else, or ending: ask again
  Failed,   // the desktop's windows could not be reached: nothing was done
};

// What a later start hears back when it sends a command.
enum class Delivery {
  NothingRuns,  // no program runs for this user on this display
  NotTaken,     // one runs but could not be reached, or did not take it
  NoAnswer,     // it took the command but did not answer in time
  Done,
  Refused,
  Failed,  // it could not reach the desktop's windows
};

// Where the running program hears the commands of later starts, from this
// user's session only.
class CommandInbox {
 public:
  virtual ~CommandInbox() = default;

  // `onReceived` runs on the user-interface thread, once per command; the
  // sender waits for its answer, and sends again after a Busy one. An empty
  // `onReceived` answers Busy from then on.
  virtual void SetReceivedHandler(std::function<CommandOutcome(Command)> onReceived) = 0;
};

}  // namespace blindfold
