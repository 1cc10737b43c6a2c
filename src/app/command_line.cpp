#include "app/command_line.h"

#include "core/texts.h"

namespace blindfold {
namespace {

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The word of an option, without its "--", "-" or "/"; nothing for anything
// else.
std::optional<std::string_view> OptionWord(std::string_view argument) {
  if (argument.starts_with("--")) return argument.substr(2);
  if (argument.starts_with("-") || argument.starts_with("/")) return argument.substr(1);
  return std::nullopt;
}

CommandLine Wrong(std::string argument) {
  return CommandLine{CommandLine::Kind::Usage, Command::Toggle, std::move(argument)};
}

}  // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return {};
  if (arguments.size() > 1) return Wrong(arguments[1]);
  const std::optional<std::string_view> word = OptionWord(arguments[0]);
  if (!word) return Wrong(arguments[0]);
  for (const auto& [command, name, help] : kCommandWords) {
    if (SameWord(*word, name)) return CommandLine{CommandLine::Kind::Send, command, {}};
  }
  if (SameWord(*word, "restore")) return CommandLine{CommandLine::Kind::Restore, Command::Toggle, {}};
  if (SameWord(*word, "help") || SameWord(*word, "h") || *word == "?") {
    return CommandLine{CommandLine::Kind::Help, Command::Toggle, {}};
  }
  if (SameWord(*word, "version")) return CommandLine{CommandLine::Kind::Version, Command::Toggle, {}};
  return Wrong(arguments[0]);
}

CommandEnd EndOfCommand(Delivery delivery) {
  switch (delivery) {
    case Delivery::NothingRuns:
      return {kExitUsage, std::string(texts::kNothingRuns)};
    case Delivery::NotTaken:
      return {kExitFailed, std::string(texts::kCommandNotDelivered)};
    case Delivery::NoAnswer:
      return {kExitFailed, std::string(texts::kCommandNotAnswered)};
    case Delivery::Refused:
      return {kExitFailed, std::string(texts::kCommandRefused)};
    case Delivery::Failed:
      return {kExitFailed, std::string(texts::kCommandFailed)};
    case Delivery::Done:
      break;
  }
  return {kExitDone, {}};
}

}  // namespace blindfold
