#include "platform/win32/dialog_template.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

namespace blindfold::win32 {
namespace {

std::vector<std::uint8_t> TemplateBytes(int id) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_DIALOG);
  const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(instance, found)));
  return {data, data + SizeofResource(instance, found)};
}

// Class names are the same whatever their case; the resource compiler writes
// them in capitals.
bool SameClass(const DialogTemplateControl& control, const wchar_t* name) {
  return _wcsicmp(control.className.c_str(), name) == 0;
}

TEST(DialogTemplate, ReadsEveryControlAsTheResourceCompilerWroteIt) {
  const auto controls = ReadDialogTemplate(TemplateBytes(100));
  ASSERT_EQ(controls.size(), 5u);
  EXPECT_TRUE(SameClass(controls[0], L"Button")) << controls[0].className.c_str();
  EXPECT_EQ(controls[0].title, L"Password protection");
  EXPECT_EQ(controls[0].id, 10);
  EXPECT_EQ(controls[0].style & BS_TYPEMASK, static_cast<std::uint32_t>(BS_GROUPBOX));
  EXPECT_TRUE(SameClass(controls[1], L"Edit")) << controls[1].className.c_str();
  EXPECT_TRUE(controls[1].style & ES_PASSWORD);
  EXPECT_EQ(controls[1].title, L"");
  EXPECT_TRUE(SameClass(controls[2], L"SysLink")) << controls[2].className.c_str();
  EXPECT_EQ(controls[2].title, L"<a>Online Help!</a>");
  EXPECT_TRUE(SameClass(controls[3], L"msctls_trackbar32")) << controls[3].className.c_str();
  EXPECT_EQ(controls[3].id, 13);
  EXPECT_TRUE(SameClass(controls[4], L"Static")) << controls[4].className.c_str();
  EXPECT_EQ(controls[4].exStyle, static_cast<std::uint32_t>(WS_EX_TRANSPARENT));
  for (const DialogTemplateControl& control : controls) EXPECT_TRUE(control.style & WS_CHILD);
}

TEST(DialogTemplate, SkipsTheFontOfATemplateThatNamesOne) {
  const auto controls = ReadDialogTemplate(TemplateBytes(101));
  ASSERT_EQ(controls.size(), 1u);
  EXPECT_TRUE(SameClass(controls[0], L"Button")) << controls[0].className.c_str();
  EXPECT_EQ(controls[0].title, L"Set password");
  EXPECT_EQ(controls[0].id, 20);
}

TEST(DialogTemplate, ACutTemplateGivesTheControlsThatFitAndNothingElse) {
  const auto bytes = TemplateBytes(100);
  const auto whole = ReadDialogTemplate(bytes);
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    const auto controls = ReadDialogTemplate(cut);
    ASSERT_LT(controls.size(), whole.size()) << size;
    for (std::size_t i = 0; i < controls.size(); ++i) EXPECT_EQ(controls[i].title, whole[i].title) << size;
  }
  const std::vector<std::uint8_t> notExtended = {1, 0, 0, 0, 0, 0, 0, 0};  // a plain DIALOG header
  EXPECT_TRUE(ReadDialogTemplate(notExtended).empty());
}

}  // namespace
}  // namespace blindfold::win32
