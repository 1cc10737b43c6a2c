#include "info/tips.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/fake_program_files.h"
#include "platform/fake/fake_random.h"
#include "platform/fake/fake_registry.h"

namespace blindfold {
namespace {

const std::string kTipsFile = "C:\\Program Files\\Blindfold\\acknowledgments.TXT";
const std::string kStartupSetting = "HKCU\\Software\\Blindfold\\Blindfold\\Options\\Show Tips at Startup";

class TipsTest : public testing::Test {
 protected:
  void WriteTipsFile(const std::string& bytes) { files.files[kTipsFile] = bytes; }
  static std::string NumberedLines(int count) {
    std::string text;
    for (int n = 1; n <= count; ++n) text += "tip " + std::to_string(n) + "\r\n";
    return text;
  }

  FakeRegistry registry;
  FakeProgramFiles files;
  FakeRandom random;
  AcknowledgmentsDialog tip{TipsPlatform{registry, files, random}};
};

struct LinesCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> entries;
  friend void PrintTo(const LinesCase& c, std::ostream* os) { *os << c.name; }
};

class TipLinesTest : public TipsTest, public testing::WithParamInterface<LinesCase> {};

TEST_P(TipLinesTest, OneEntryPerLineOfTheFile) {
  WriteTipsFile(GetParam().bytes);
  EXPECT_TRUE(tip.LoadTips(kTipsFile));
  EXPECT_EQ(tip.TipLines, GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    LineBreaks, TipLinesTest,
    testing::Values(LinesCase{"CrLf", "one\r\ntwo\r\nthree\r\n", {"one", "two", "three"}},
                    LinesCase{"Cr", "one\rtwo\r", {"one", "two"}},
                    LinesCase{"LoneLfStaysInTheLine", "one\ntwo\r\nthree", {"one\ntwo", "three"}},
                    LinesCase{"LfOnly", "one\ntwo\n", {"one\ntwo\n"}},
                    LinesCase{"NoFinalBreak", "first\r\nlast line", {"first", "last line"}},
                    LinesCase{"OneLineNoBreak", "only", {"only"}},
                    LinesCase{"EmptyLinesAreEntries", "a\r\n\r\nb\r\n\r\n", {"a", "", "b", ""}},
                    LinesCase{"CrCr", "a\r\rb", {"a", "", "b"}},
                    LinesCase{"CrThenCrLf", "a\r\r\n", {"a", ""}},
                    LinesCase{"LfCrLf", "a\n\r\nb", {"a\n", "b"}},
                    LinesCase{"OnlyABreak", "\r\n", {""}},
                    LinesCase{"EmptyFile", "", {}}),
    [](const testing::TestParamInfo<LinesCase>& test) { return std::string(test.param.name); });

struct EncodingCase {
  const char* name;
  std::string bytes;
  std::string utf8;
  friend void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.name; }
};

class TipEncodingTest : public TipsTest, public testing::WithParamInterface<EncodingCase> {};

TEST_P(TipEncodingTest, ReadsTheFileAsWindows1252) {
  WriteTipsFile(GetParam().bytes);
  ASSERT_TRUE(tip.LoadTips(kTipsFile));
  ASSERT_EQ(tip.TipLines.size(), 1u);
  EXPECT_EQ(tip.TipLines[0], GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, TipEncodingTest,
    testing::Values(EncodingCase{"Ascii", "Thanks, Ann!\x7F", "Thanks, Ann!\x7F"},
                    EncodingCase{"Latin1", "caf\xE9 \xA0\xA9\xFF", "caf\xC3\xA9 \xC2\xA0\xC2\xA9\xC3\xBF"},
                    EncodingCase{"EuroAndQuotes", "\x80 \x93q\x94 \x85",
                                 "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\xA6"},
                    EncodingCase{"TwoByteOnes", "\x83\x8A\x8C\x9F", "\xC6\x92\xC5\xA0\xC5\x92\xC5\xB8"},
                    EncodingCase{"UndefinedBytesKeepTheirNumber", "\x81\x8D\x8F\x90\x9D",
                                 "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
                    EncodingCase{"DashesAndTrade", "\x96\x97\x99", "\xE2\x80\x93\xE2\x80\x94\xE2\x84\xA2"}),
    [](const testing::TestParamInfo<EncodingCase>& test) { return std::string(test.param.name); });

class TipPickRangeTest : public TipsTest, public testing::WithParamInterface<int> {};

TEST_P(TipPickRangeTest, EveryDrawNamesAnEntryAndEveryEntryComesUp) {
  const int count = GetParam();
  WriteTipsFile(NumberedLines(count));
  ASSERT_TRUE(tip.LoadTips(kTipsFile));
  std::set<std::int32_t> seen;
  for (int draw = 0; draw < 2000; ++draw) {
    tip.cmdNextTip_Click();
    ASSERT_GE(tip.CurrentTipIndex, 1);
    ASSERT_LE(tip.CurrentTipIndex, count);
    ASSERT_EQ(tip.dialog.lblTipText.caption, "tip " + std::to_string(tip.CurrentTipIndex));
    seen.insert(tip.CurrentTipIndex);
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(count));
}

INSTANTIATE_TEST_SUITE_P(Counts, TipPickRangeTest, testing::Values(1, 2, 3, 7, 10));

struct EdgeDrawCase {
  int count;
  float r;
  std::int32_t index;
  friend void PrintTo(const EdgeDrawCase& c, std::ostream* os) { *os << c.count << " entries, r = " << c.r; }
};

class TipEdgeDrawTest : public TipsTest, public testing::WithParamInterface<EdgeDrawCase> {};

TEST_P(TipEdgeDrawTest, IndexIsTheFloorOfRTimesCountPlusOne) {
  WriteTipsFile(NumberedLines(GetParam().count));
  random.script = {GetParam().r};
  ASSERT_TRUE(tip.LoadTips(kTipsFile));
  EXPECT_EQ(tip.CurrentTipIndex, GetParam().index);
  EXPECT_EQ(tip.dialog.lblTipText.caption, "tip " + std::to_string(GetParam().index));
}

INSTANTIATE_TEST_SUITE_P(
    Draws, TipEdgeDrawTest,
    testing::Values(EdgeDrawCase{3, 0.0f, 1}, EdgeDrawCase{3, 0.99999994f, 3}, EdgeDrawCase{1, 0.0f, 1},
                    EdgeDrawCase{1, 0.99999994f, 1}, EdgeDrawCase{4, 0.24999999f, 1},
                    EdgeDrawCase{4, 0.25f, 2},
                    EdgeDrawCase{4, 0.75f, 4}, EdgeDrawCase{1000, 0.99999994f, 1000},
                    // A source that breaks its promise of r < 1 still names the last entry.
                    EdgeDrawCase{3, 1.0f, 3}));

TEST_F(TipsTest, AnEmptyFileShowsNothingAndNextChangesNothing) {
  WriteTipsFile("");
  EXPECT_TRUE(tip.LoadTips(kTipsFile));
  EXPECT_EQ(tip.CurrentTipIndex, 1);
  tip.cmdNextTip_Click();
  EXPECT_EQ(tip.dialog.lblTipText.caption, "");
}

TEST_F(TipsTest, AnEmptyLineShowsAsAnEmptyLabel) {
  WriteTipsFile("first\r\n\r\nthird");
  random.script = {0.0f, 0.5f};
  ASSERT_TRUE(tip.LoadTips(kTipsFile));
  EXPECT_EQ(tip.dialog.lblTipText.caption, "first");
  tip.cmdNextTip_Click();
  EXPECT_EQ(tip.CurrentTipIndex, 2);
  EXPECT_EQ(tip.dialog.lblTipText.caption, "");
}

TEST_F(TipsTest, NoPathOrNoFileLoadsNothing) {
  WriteTipsFile("a tip");
  EXPECT_FALSE(tip.LoadTips(""));
  EXPECT_FALSE(tip.LoadTips("C:\\Program Files\\Blindfold\\missing.TXT"));
  EXPECT_TRUE(tip.TipLines.empty());
  EXPECT_EQ(random.drawCount, 0);
}

TEST_F(TipsTest, MissingFileExplainsHowToCreateItExactly) {
  tip.Load();
  EXPECT_FALSE(tip.dialog.unloaded);
  EXPECT_EQ(tip.dialog.lblTipText.caption,
            "That the acknowledgments.TXT file was not found? \r\n\r\n"
            "Create a text file named acknowledgments.TXT using NotePad with 1 tip per line. "
            "Then place it in the same directory as the application. ");
  const std::string message = tip.dialog.lblTipText.caption;
  tip.cmdNextTip_Click();
  EXPECT_EQ(tip.dialog.lblTipText.caption, message);
}

TEST_F(TipsTest, MissingFileMessageNamesTheFileGiven) {
  EXPECT_EQ(MissingTipsFileMessage("x.txt"),
            "That the x.txt file was not found? \r\n\r\n"
            "Create a text file named x.txt using NotePad with 1 tip per line. "
            "Then place it in the same directory as the application. ");
}

TEST_F(TipsTest, OpeningShowsARandomLineOfTheFileBesideTheProgram) {
  WriteTipsFile("Ann\r\nBob\r\nCy\r\n");
  random.script = {0.5f};
  tip.Load();
  EXPECT_EQ(random.seedCount, 1);
  EXPECT_EQ(tip.dialog.caption, "Acknowledgments...");
  EXPECT_EQ(tip.dialog.heading.caption, "Blindfold acknowledgments...");
  EXPECT_EQ(tip.dialog.lblTipText.caption, "Bob");
  EXPECT_EQ(tip.dialog.chkLoadTipsAtStartup.value, 1);
  EXPECT_FALSE(tip.dialog.unloaded);
  tip.cmdOK_Click();
  EXPECT_TRUE(tip.dialog.unloaded);
}

struct StartupSettingCase {
  const char* name;
  std::optional<std::string> stored;
  bool opens;
  std::string storedAfter;
  friend void PrintTo(const StartupSettingCase& c, std::ostream* os) { *os << c.name; }
};

class TipsStartupSettingTest : public TipsTest, public testing::WithParamInterface<StartupSettingCase> {};

TEST_P(TipsStartupSettingTest, OnlyZeroKeepsTheDialogClosed) {
  WriteTipsFile("a tip\r\n");
  if (GetParam().stored) registry.Set(kStartupSetting, *GetParam().stored);
  tip.Load();

  EXPECT_EQ(tip.dialog.unloaded, !GetParam().opens);
  EXPECT_EQ(registry.Get(kStartupSetting), GetParam().storedAfter);
  if (GetParam().opens) {
    EXPECT_EQ(tip.dialog.lblTipText.caption, "a tip");
  } else {
    EXPECT_TRUE(tip.TipLines.empty());
    EXPECT_EQ(tip.dialog.lblTipText.caption, "");
    EXPECT_EQ(random.seedCount, 0);
    EXPECT_EQ(registry.writeCount, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Stored, TipsStartupSettingTest,
    testing::Values(StartupSettingCase{"Missing", std::nullopt, true, "1"},
                    StartupSettingCase{"One", "1", true, "1"}, StartupSettingCase{"Zero", "0", false, "0"},
                    StartupSettingCase{"ZeroWithBlanks", " 0 ", false, " 0 "},
                    StartupSettingCase{"NotANumber", "abc", true, "1"},
                    StartupSettingCase{"Empty", "", true, "1"}, StartupSettingCase{"Two", "2", true, "1"},
                    StartupSettingCase{"MinusOne", "-1", true, "1"}),
    [](const testing::TestParamInfo<StartupSettingCase>& test) { return std::string(test.param.name); });

TEST_F(TipsTest, TheSettingBelongsToTheUserAndTheExecutableName) {
  files.baseName = "bfold";
  tip.Load();
  EXPECT_EQ(registry.Get("HKCU\\Software\\Blindfold\\bfold\\Options\\Show Tips at Startup"), "1");
  EXPECT_EQ(registry.ValueCount(), 1u);
}

TEST_F(TipsTest, ClearingTheBoxKeepsTheNextOpeningClosed) {
  tip.Load();
  tip.dialog.chkLoadTipsAtStartup.value = 0;
  tip.chkLoadTipsAtStartup_Click();
  EXPECT_EQ(registry.Get(kStartupSetting), "0");

  tip.Load();
  EXPECT_TRUE(tip.dialog.unloaded);
}

TEST_F(TipsTest, AnUnwritableSettingStillOpensTheDialog) {
  WriteTipsFile("a tip");
  registry.unavailable = true;
  tip.Load();
  EXPECT_FALSE(tip.dialog.unloaded);
  EXPECT_EQ(tip.dialog.lblTipText.caption, "a tip");
}

TEST_F(TipsTest, EachOpeningStartsFromTheFileAlone) {
  WriteTipsFile("Ann\r\nBob\r\nCy");
  tip.Load();
  tip.cmdOK_Click();
  tip.Load();
  EXPECT_FALSE(tip.dialog.unloaded);
  EXPECT_EQ(tip.TipLines, (std::vector<std::string>{"Ann", "Bob", "Cy"}));

  files.files.clear();
  tip.Load();
  EXPECT_TRUE(tip.TipLines.empty());
  EXPECT_EQ(tip.dialog.lblTipText.caption, MissingTipsFileMessage("acknowledgments.TXT"));
}

}  // namespace
}  // namespace blindfold
