#include "settings/value_text.h"

#include <gtest/gtest.h>

namespace blindfold {
namespace {

TEST(SplitText, KeepsEveryPieceIncludingEmptyOnes) {
  using Pieces = std::vector<std::string_view>;
  EXPECT_EQ(SplitText("", ','), Pieces{""});
  EXPECT_EQ(SplitText(",1234,5678", ','), (Pieces{"", "1234", "5678"}));
  EXPECT_EQ(SplitText("a,,b,", ','), (Pieces{"a", "", "b", ""}));
}

struct NumberCase {
  const char* text;
  std::optional<long long> whole;
};

class WholeNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(WholeNumber, ConvertsOnlyPlainDecimals) {
  EXPECT_EQ(ParseWholeNumber(GetParam().text), GetParam().whole) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    StoredTexts, WholeNumber,
    testing::Values(NumberCase{"0", 0}, NumberCase{"1", 1}, NumberCase{"517", 517},
                    NumberCase{"-1", -1}, NumberCase{"+7", 7}, NumberCase{" 42 ", 42},
                    NumberCase{"", std::nullopt}, NumberCase{" ", std::nullopt},
                    NumberCase{"X", std::nullopt}, NumberCase{"1x", std::nullopt},
                    NumberCase{"1.5", std::nullopt}, NumberCase{"+-1", std::nullopt},
                    NumberCase{"--1", std::nullopt},
                    NumberCase{"99999999999999999999", std::nullopt}));

TEST(ParseInt32, RejectsNumbersOutsideThirtyTwoBits) {
  EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
  EXPECT_EQ(ParseInt32("-2147483648"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ParseInt32("2147483648"), std::nullopt);
  EXPECT_EQ(ParseInt32("-2147483649"), std::nullopt);
}

}  // namespace
}  // namespace blindfold
