#include "windows/hidden_record.h"

#include <gtest/gtest.h>

namespace blindfold {
namespace {

struct RecordCase {
  const char* record;
  std::vector<WindowHandle> windows;
};

class HiddenRecord : public testing::TestWithParam<RecordCase> {};

TEST_P(HiddenRecord, ParsesHandlesInOrder) {
  EXPECT_EQ(ParseHiddenWindows(GetParam().record), GetParam().windows) << GetParam().record;
}

INSTANTIATE_TEST_SUITE_P(
    Records, HiddenRecord,
    testing::Values(RecordCase{"", {}}, RecordCase{",", {}}, RecordCase{",1234,5678", {1234, 5678}},
                    RecordCase{",100,,200,", {100, 200}}, RecordCase{",7,7", {7, 7}},
                    RecordCase{",-2147483648,2147483647", {-2147483647 - 1, 2147483647}},
                    RecordCase{",12,abc,2147483648,34", {12, 34}}, RecordCase{"5", {5}}));

TEST(HiddenRecord, AppendingWritesCommaAndSignedDecimal) {
  std::string record;
  AppendHiddenWindow(record, 1234);
  AppendHiddenWindow(record, -5);
  AppendHiddenWindow(record, std::string_view("77"));
  EXPECT_EQ(record, ",1234,-5,77");
  EXPECT_EQ(ParseHiddenWindows(record), (std::vector<WindowHandle>{1234, -5, 77}));
}

}  // namespace
}  // namespace blindfold
