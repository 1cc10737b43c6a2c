#include "app/command_line.h"

#include <gtest/gtest.h>

namespace blindfold {
namespace {

using Kind = CommandLine::Kind;

TEST(CommandLine, ReadsEachOptionInAnyOfItsSpellings) {
  EXPECT_EQ(ReadCommandLine({}).kind, Kind::Start);
  for (const auto& [argument, command] : std::vector<std::pair<std::string, Command>>{
           {"--toggle", Command::Toggle}, {"-PANIC", Command::Panic}, {"/panel", Command::Panel},
           {"--Quit", Command::Quit}}) {
    const CommandLine line = ReadCommandLine({argument});
    EXPECT_EQ(line.kind, Kind::Send) << argument;
    EXPECT_EQ(line.command, command) << argument;
  }
  // The rescue as it has always been spelled on Windows, and the new way.
  EXPECT_EQ(ReadCommandLine({"/restore"}).kind, Kind::Restore);
  EXPECT_EQ(ReadCommandLine({"-Restore"}).kind, Kind::Restore);
  EXPECT_EQ(ReadCommandLine({"--restore"}).kind, Kind::Restore);
  EXPECT_EQ(ReadCommandLine({"--help"}).kind, Kind::Help);
  EXPECT_EQ(ReadCommandLine({"/?"}).kind, Kind::Help);
  EXPECT_EQ(ReadCommandLine({"--version"}).kind, Kind::Version);
}

TEST(CommandLine, AnythingElseIsAUsageErrorNamingTheWrongArgument) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--toggles"}, {"toggle"}, {""}, {"--"}, {"-"}, {"--toggle", "--panic"}, {"--help", "x"}}) {
    const CommandLine line = ReadCommandLine(arguments);
    EXPECT_EQ(line.kind, Kind::Usage) << arguments.size();
    EXPECT_EQ(line.wrong, arguments.size() > 1 ? arguments[1] : arguments[0]);
  }
}

TEST(CommandLine, EachDeliveryHasItsExitCodeAndWords) {
  EXPECT_EQ(EndOfCommand(Delivery::Done).exitCode, 0);
  EXPECT_TRUE(EndOfCommand(Delivery::Done).message.empty());
  EXPECT_EQ(EndOfCommand(Delivery::NothingRuns).exitCode, 2);
  EXPECT_EQ(EndOfCommand(Delivery::Refused).exitCode, 1);
  EXPECT_EQ(EndOfCommand(Delivery::NotTaken).exitCode, 1);
  EXPECT_NE(EndOfCommand(Delivery::Refused).message, EndOfCommand(Delivery::NotTaken).message);
  EXPECT_EQ(OptionOf(Command::Panel), "--panel");
}

}  // namespace
}  // namespace blindfold
