#include "core/log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace blindfold {
namespace {

struct Counted {
  int* formatted;
  friend std::ostream& operator<<(std::ostream& out, const Counted& counted) {
    ++*counted.formatted;
    return out << "counted";
  }
};

TEST(Log, WritesItsLevelAndAboveAndFormatsNothingWhileOff) {
  int formatted = 0;
  log::Info("hide", Counted{&formatted});
  EXPECT_EQ(formatted, 0);

  std::vector<std::string> lines;
  log::Start(log::Level::Info, [&](std::string_view line) { lines.emplace_back(line); });
  log::Info("hide", "hid ", 3, " windows");
  log::Debug("hide", Counted{&formatted});
  log::Error("settings", Counted{&formatted});
  log::Stop();
  log::Error("settings", "after the stop");

  EXPECT_EQ(formatted, 1);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0].ends_with(" info hide: hid 3 windows")) << lines[0];
  EXPECT_TRUE(lines[1].ends_with(" error settings: counted")) << lines[1];
}

TEST(Log, LevelsAreNamedInWords) {
  EXPECT_EQ(log::ParseLevel("debug"), log::Level::Debug);
  EXPECT_EQ(log::ParseLevel("warning"), log::Level::Warning);
  EXPECT_EQ(log::ParseLevel("1"), log::Level::Info);
  for (const char* off : {"", "0", "off", "verbose", "INFO"}) EXPECT_EQ(log::ParseLevel(off), std::nullopt) << off;
}

}  // namespace
}  // namespace blindfold
