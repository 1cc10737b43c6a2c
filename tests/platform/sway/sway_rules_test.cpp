#include <gtest/gtest.h>

#include <algorithm>

#include "platform/sway/sway_rules.h"

namespace blindfold::sway {
namespace {

// Two outputs' worth of tree as sway 1.7 sends it, cut to what is read: a split
// with two views and a floating one on the visible workspace 1, an X11 view on
// the hidden workspace "2: mail", and the user's own scratchpad window.
constexpr std::string_view kTree = R"({
  "id": 1, "type": "root", "name": "root", "nodes": [
    {"id": 2, "type": "output", "name": "__i3", "nodes": [
      {"id": 3, "type": "workspace", "name": "__i3_scratch", "nodes": [], "floating_nodes": [
        {"id": 30, "type": "floating_con", "name": "notes", "app_id": "gedit", "pid": 300,
         "marks": ["scratch"], "nodes": [], "floating_nodes": []}]}]},
    {"id": 4, "type": "output", "name": "HEADLESS-1", "nodes": [
      {"id": 5, "type": "workspace", "name": "1", "visible": true, "nodes": [
        {"id": 6, "type": "con", "name": null, "layout": "splith", "nodes": [
          {"id": 10, "type": "con", "name": "left", "app_id": "foot", "pid": 100, "focused": true,
           "marks": [], "nodes": [], "floating_nodes": []},
          {"id": 11, "type": "con", "name": "right", "app_id": "foot", "pid": 101, "fullscreen_mode": 1,
           "marks": ["blindfold:11:t1:1"], "nodes": [], "floating_nodes": []}]}],
       "floating_nodes": [
        {"id": 12, "type": "floating_con", "name": "float", "app_id": "foot", "pid": 102,
         "nodes": [], "floating_nodes": []}]},
      {"id": 7, "type": "workspace", "name": "2: mail", "visible": false, "nodes": [
        {"id": 20, "type": "con", "name": "xterm", "app_id": null, "pid": 200,
         "window_properties": {"class": "XTerm", "instance": "xterm"}, "nodes": [], "floating_nodes": []}],
       "floating_nodes": []}]}]})";

TEST(SwayTree, ListsEveryViewInStackingBandsWithWhereItSits) {
  const auto windows = ReadTree(kTree);
  ASSERT_TRUE(windows);
  ASSERT_EQ(windows->size(), 5u);
  // Floating above tiled on the visible workspace, then elsewhere, then the scratchpad.
  EXPECT_EQ((*windows)[0].id, 12);
  EXPECT_TRUE((*windows)[0].floating);
  EXPECT_EQ((*windows)[1].id, 10);
  EXPECT_TRUE((*windows)[1].focused);
  EXPECT_EQ((*windows)[1].split, (std::vector<std::int64_t>{10, 11}));
  EXPECT_EQ((*windows)[2].id, 11);
  EXPECT_EQ((*windows)[2].split, (std::vector<std::int64_t>{10, 11}));
  EXPECT_EQ((*windows)[2].fullscreen, 1);
  EXPECT_EQ((*windows)[3].id, 20);
  EXPECT_EQ((*windows)[3].appId, "XTerm");  // an X11 window is known by its class
  EXPECT_EQ((*windows)[3].workspace, "2: mail");
  EXPECT_EQ((*windows)[3].title, "xterm");
  EXPECT_EQ((*windows)[4].id, 30);
  EXPECT_TRUE((*windows)[4].inScratchpad);
  EXPECT_EQ((*windows)[4].pid, 300u);
  // A floating window has no place in a split.
  EXPECT_TRUE((*windows)[0].split.empty());
}

// A title, an app id or a mark may hold any bytes; sway passes them on.
TEST(SwayTree, ReadsBytesThatAreNotUtf8) {
  const auto windows = ReadTree("{\"type\": \"root\", \"nodes\": [{\"type\": \"workspace\", \"name\": \"1\", "
                                "\"nodes\": [{\"type\": \"con\", \"id\": 5, \"name\": \"t\xff\", \"app_id\": \"a\xc3\", "
                                "\"pid\": 9, \"marks\": [\"x\xfe\"]}]}]}");
  ASSERT_TRUE(windows);
  ASSERT_EQ(windows->size(), 1u);
  EXPECT_EQ((*windows)[0].title, "t\uFFFD");
  EXPECT_EQ((*windows)[0].marks.size(), 1u);
  EXPECT_TRUE(ReadWindowEvent("{\"change\": \"title\", \"container\": {\"id\": 5, \"name\": \"\xff\"}}"));
}

TEST(SwayTree, RefusesWhatIsNotSwaysTree) {
  EXPECT_FALSE(ReadTree(""));
  EXPECT_FALSE(ReadTree("{\"type\": \"workspace\"}"));
  EXPECT_FALSE(ReadTree("[1, 2]"));
  EXPECT_FALSE(ReadTree("{\"type\": \"root\", \"nodes\": [tru"));
  // Members of the wrong kind are read as absent, never trusted.
  const auto odd = ReadTree(R"({"type": "root", "nodes": [{"type": "workspace", "name": 5, "nodes": [
      {"type": "con", "id": "x", "app_id": 7, "pid": 9, "marks": [1, "m"]}, 3]}]})");
  ASSERT_TRUE(odd);
  ASSERT_EQ(odd->size(), 1u);
  EXPECT_EQ((*odd)[0].id, 0);
  EXPECT_EQ((*odd)[0].marks, std::vector<std::string>{"m"});
}

TEST(SwayMarks, KeepWhereAHiddenWindowGoesBackToWhateverTheWorkspacesName) {
  const HiddenPlace place{"3: \"web\" : news", true, 2, {}};
  const HiddenPlace tiled{"2 mail ", false, 0, {4, 42, 7}};
  EXPECT_EQ(PlaceOfText(PlaceText(place)), place);
  EXPECT_EQ(PlaceOfText(PlaceText(tiled)), tiled);
  for (const char* damaged : {"", "t0", "x0 - 1", "t9 - 1", "t0 - ", "t0 1,x 2", "t0 -1 2", "t0 - __i3_scratch"}) {
    EXPECT_FALSE(PlaceOfText(damaged)) << damaged;
  }
  EXPECT_EQ(MarkOf(42, place), "blindfold:42:f2:3: \"web\" : news");
}

TEST(SwayCommands, QuoteArgumentsAndNameKeysAsBindsymDoes) {
  EXPECT_EQ(Quoted(R"(a "b" \c)"), R"("a \"b\" \\c")");
  EXPECT_EQ(BindingOf({.ctrlKey = true, .altKey = true, .vkey = 'Z'}), "Ctrl+Mod1+z");
  EXPECT_EQ(BindingOf({.winKey = true, .shiftKey = true, .vkey = 0x70}), "Mod4+Shift+F1");
  EXPECT_FALSE(BindingOf({.ctrlKey = true, .vkey = 0xFF}));
}

TEST(SwayReplies, TellSuccessErrorsAndEvents) {
  EXPECT_TRUE(ReadCommandReply(R"([{"success": true}, {"success": true}])").succeeded);
  const CommandOutcome refused =
      ReadCommandReply(R"([{"success": true}, {"success": false, "error": "No matching node"}])");
  EXPECT_FALSE(refused.succeeded);
  EXPECT_EQ(refused.error, "No matching node");
  EXPECT_FALSE(ReadCommandReply("[]").succeeded);
  EXPECT_FALSE(ReadCommandReply("garbage").succeeded);

  const auto event = ReadWindowEvent(R"({"change": "new", "container": {"id": 17, "name": "x"}})");
  ASSERT_TRUE(event);
  EXPECT_EQ(event->change, "new");
  EXPECT_EQ(event->id, 17);
  EXPECT_FALSE(ReadWindowEvent(R"({"change": "new"})"));
  EXPECT_EQ(ReadBindingCommand(R"({"change": "run", "binding": {"command": "nop blindfold panic"}})"),
            "nop blindfold panic");
  EXPECT_FALSE(ReadBindingCommand("{}"));
  EXPECT_EQ(ReadEventChange(R"({"change": "reload"})"), "reload");
}

// Back after the nearest view before it that is back, else before the
// nearest one after it: any order of shows rebuilds the split's order.
TEST(SwaySplit, AWindowGoesBackBesideTheNearestNeighbourThatIsBack) {
  const std::vector<std::int64_t> split{1, 2, 3, 4};
  const auto beside = [&](std::int64_t window, std::vector<std::int64_t> back) {
    const Neighbour n = NeighbourToReturnBeside(window, split, [&](std::int64_t id) {
      return std::ranges::find(back, id) != back.end();
    });
    return std::to_string(n.id) + (n.after ? " after" : "");
  };
  EXPECT_EQ(beside(3, {1, 4}), "1");
  EXPECT_EQ(beside(1, {3, 4}), "3 after");
  EXPECT_EQ(beside(2, {}), "0");
  EXPECT_EQ(beside(9, {1}), "0");
}

}  // namespace
}  // namespace blindfold::sway
