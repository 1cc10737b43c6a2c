#include "windows/hidden_record.h"

#include <gtest/gtest.h>

namespace blindfold {
namespace {

struct RecordCase {
  const char* record;
  std::vector<std::int32_t> windows;
};

std::vector<std::int32_t> Values(const std::vector<WindowHandle>& windows) {
  std::vector<std::int32_t> values;
  for (const WindowHandle window : windows) values.push_back(window.Value());
  return values;
}

class HiddenRecord : public testing::TestWithParam<RecordCase> {};

TEST_P(HiddenRecord, ParsesHandlesInOrder) {
  EXPECT_EQ(Values(ParseHiddenWindows(GetParam().record)), GetParam().windows) << GetParam().record;
}

INSTANTIATE_TEST_SUITE_P(
    Records, HiddenRecord,
    testing::Values(RecordCase{"", {}}, RecordCase{",", {}}, RecordCase{",1234,5678", {1234, 5678}},
                    RecordCase{",100,,200,", {100, 200}}, RecordCase{",7,7", {7, 7}},
                    RecordCase{",-2147483648,2147483647", {-2147483647 - 1, 2147483647}},
                    RecordCase{",12,abc,2147483648,34", {12, 34}}, RecordCase{"5", {5}}));

TEST(HiddenRecord, AppendingWritesCommaAndSignedDecimal) {
  std::string record;
  AppendHiddenWindow(record, WindowHandle(1234));
  AppendHiddenWindow(record, WindowHandle(-5));
  AppendHiddenWindow(record, std::string_view("77"));
  EXPECT_EQ(record, ",1234,-5,77");
  EXPECT_EQ(Values(ParseHiddenWindows(record)), (std::vector<std::int32_t>{1234, -5, 77}));
}

}  // namespace
}  // namespace blindfold
