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
  EXPECT_TRUE((*windows)[2].minimized);
  // Whether Blindfold hid a window is for its own record to say.
  EXPECT_FALSE((*windows)[2].hiddenByBlindfold);
  EXPECT_FALSE((*windows)[2].transientFor);

  EXPECT_FALSE(ReadWindowList(""));
  EXPECT_FALSE(ReadWindowList("{}"));
  EXPECT_FALSE(ReadWindowList("[{\"id\": "));
}

TEST(KWinWindowList, AReportSaysTheLastBatchDoneAndWhatAHideWouldTake) {
  const auto report = ReadReport(R"({"done": 7, "windows": [
    {"id": "{p}", "dock": true, "minimizable": false, "opacity": 0.75, "skipTaskbar": true, "skipPager": true},
    {"id": "{n}", "minimized": true, "opacity": 4}]})");
  ASSERT_TRUE(report);
  EXPECT_EQ(report->done, 7);
  ASSERT_EQ(report->windows.size(), 2u);
  EXPECT_EQ(GivenBackOf(report->windows[0]),
            (GivenBack{.skipTaskbar = true, .skipPager = true, .opacity = 0.75, .byOpacity = true}));
  // An opacity KWin never gives comes back as fully opaque, never invisible.
  EXPECT_EQ(GivenBackOf(report->windows[1]), (GivenBack{.minimized = true}));
  EXPECT_FALSE(ReadReport("[]"));
  EXPECT_FALSE(ReadReport(R"({"done": 1})"));

  const GivenBack panel{.skipSwitcher = true, .opacity = 0.5, .byOpacity = true};
  EXPECT_EQ(ReadGivenBack(GivenBackJson(panel)), panel);
  EXPECT_EQ(ReadGivenBack(GivenBackJson(panel, true)), panel);
  EXPECT_TRUE(ShowAsked(GivenBackJson(panel, true)));
  EXPECT_FALSE(ShowAsked(GivenBackJson(panel)));
  EXPECT_FALSE(ReadGivenBack("minimized"));
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
  EXPECT_EQ(RequestsJson({{Request::Op::Hide, "{a}", false, std::nullopt},
                          {Request::Op::Show, "{b}", true, std::nullopt},
                          {Request::Op::Activate, "x\"\\\n", true, std::nullopt}}),
            R"([{"op":"hide","id":"{a}"},{"op":"show","id":"{b}","activate":true},{"op":"activate","id":"x\"\\"}])");
  EXPECT_EQ(BatchJson(3, {{Request::Op::Show, "{a}", false, GivenBack{.minimized = true}}}),
            R"({"batch":3,"requests":[{"op":"show","id":"{a}","activate":false,"givenBack":)"
            R"({"minimized":true,"skipTaskbar":false,"skipPager":false,"skipSwitcher":false,"opacity":1,)"
            R"("byOpacity":false}}]})");
}

TEST(KWinShortcuts, KeysAsQtCodesAndTheScriptWithBlindfoldsNames) {
  EXPECT_EQ(QtKeyOf({.ctrlKey = true, .altKey = true, .vkey = 'Z'}), 0x04000000 | 0x08000000 | 'Z');
  EXPECT_EQ(QtKeyOf({.winKey = true, .vkey = 0x71}), 0x10000000 | 0x01000031);
  EXPECT_EQ(QtKeyOf({.shiftKey = true, .vkey = 0x2E}), 0x02000000 | 0x01000007);
  EXPECT_FALSE(QtKeyOf({.ctrlKey = true, .vkey = 0xFF}));
  EXPECT_EQ(ScriptText("callDBus(\"@SERVICE@\", \"@PATH@\", \"@INTERFACE@\"); // @SERVICE@ @SHORTCUTS@", ":1.4",
                       "/p", "i.f", {}),
            "callDBus(\":1.4\", \"/p\", \"i.f\"); // :1.4 []");
  EXPECT_EQ(ScriptText("var s = @SHORTCUTS@;", "", "", "",
                       {{"panic", "Blindfold panic", "Blindfold: \"hide\" everything"}, {"panel", "B", "C"}}),
            R"(var s = [["panic","Blindfold panic","Blindfold: \"hide\" everything"],["panel","B","C"]];)");
}

}  // namespace
}  // namespace blindfold::kwin
