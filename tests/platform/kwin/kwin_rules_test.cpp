#include <gtest/gtest.h>

#include "platform/kwin/kwin_rules.h"

namespace blindfold::kwin {
namespace {

TEST(KWinWindowList, ReadsTheScriptsReportTopOfTheStackFirst) {
  const auto windows = ReadWindowList(R"([
    {"id": "{a}", "caption": "Notes", "resourceClass": "gedit", "pid": 40, "normal": true, "stackingOrder": 3,
     "minimized": true, "active": false, "hiddenByBlindfold": true},
    {"id": "{b}", "caption": "Save?", "resourceClass": "gedit", "pid": 40, "dialog": true, "transientFor": "{a}",
     "stackingOrder": 7, "active": true},
    {"id": "{c}", "caption": "panel", "dock": true, "stackingOrder": 9.0},
    {"caption": "no id"}, 5, {"id": 6}])");
  ASSERT_TRUE(windows);
  ASSERT_EQ(windows->size(), 3u);
  EXPECT_EQ((*windows)[0].id, "{c}");
  EXPECT_TRUE((*windows)[0].dock);
  EXPECT_EQ((*windows)[1].id, "{b}");
  EXPECT_EQ((*windows)[1].transientFor, HandleOfId("{a}"));
  EXPECT_TRUE((*windows)[1].active);
  EXPECT_EQ((*windows)[2].caption, "Notes");
  EXPECT_EQ((*windows)[2].resourceClass, "gedit");
  EXPECT_EQ((*windows)[2].pid, 40u);
  EXPECT_TRUE((*windows)[2].minimized && (*windows)[2].hiddenByBlindfold);
  EXPECT_FALSE((*windows)[2].transientFor);

  EXPECT_FALSE(ReadWindowList(""));
  EXPECT_FALSE(ReadWindowList("{}"));
  EXPECT_FALSE(ReadWindowList("[{\"id\": "));
}

TEST(KWinWindowList, AWindowKeepsItsHandleFromRunToRun) {
  const WindowHandle handle = HandleOfId("{39393db8-f3ef-4f59-9156-dbf8b620a38b}");
  EXPECT_TRUE(handle);
  EXPECT_GT(handle.Value(), 0);
  EXPECT_EQ(handle, HandleOfId("{39393db8-f3ef-4f59-9156-dbf8b620a38b}"));
  EXPECT_NE(handle, HandleOfId("{39393db8-f3ef-4f59-9156-dbf8b620a38c}"));
}

TEST(KWinRequests, AreJsonTheScriptReadsWhateverTheId) {
  EXPECT_EQ(RequestsJson({}), "[]");
  EXPECT_EQ(RequestsJson({{Request::Op::Hide, "{a}", false},
                          {Request::Op::Show, "{b}", true},
                          {Request::Op::Activate, "x\"\\\n", true}}),
            R"([{"op":"hide","id":"{a}"},{"op":"show","id":"{b}","activate":true},{"op":"activate","id":"x\"\\"}])");
}

TEST(KWinShortcuts, KeysAsQtCodesAndTheScriptWithBlindfoldsNames) {
  EXPECT_EQ(QtKeyOf({.ctrlKey = true, .altKey = true, .vkey = 'Z'}), 0x04000000 | 0x08000000 | 'Z');
  EXPECT_EQ(QtKeyOf({.winKey = true, .vkey = 0x71}), 0x10000000 | 0x01000031);
  EXPECT_EQ(QtKeyOf({.shiftKey = true, .vkey = 0x2E}), 0x02000000 | 0x01000007);
  EXPECT_FALSE(QtKeyOf({.ctrlKey = true, .vkey = 0xFF}));
  EXPECT_EQ(ScriptText("callDBus(\"@SERVICE@\", \"@PATH@\", \"@INTERFACE@\"); // @SERVICE@", "s.n", "/p", "i.f"),
            "callDBus(\"s.n\", \"/p\", \"i.f\"); // s.n");
}

}  // namespace
}  // namespace blindfold::kwin
