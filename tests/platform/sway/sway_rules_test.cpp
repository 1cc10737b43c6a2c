#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/sway/sway_desktop.h"
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


// Many windows' commands go as one message, and each window learns from the
// one reply whether sway carried out all of its own.
TEST(SwayReplies, ASharedMessageToldWindowByWindow) {
  CommandShare hide;
  hide.Add("[con_id=10]", {"mark --add \"blindfold:10:t0:1\"", "move scratchpad"});
  CommandShare nothing;
  CommandShare back;
  back.Add("[con_id=11]", {"mark --add \"b\""});
  back.Add("[con_id=12]", {"move container to mark \"b\""});
  back.Add({}, {"unmark \"b\""});
  const std::vector<CommandShare> shares{hide, nothing, back};
  EXPECT_EQ(JoinedShares(shares),
            "[con_id=10] mark --add \"blindfold:10:t0:1\", move scratchpad; [con_id=11] mark --add \"b\"; "
            "[con_id=12] move container to mark \"b\"; unmark \"b\"");
  const std::string allDone = R"([{"success": true}, {"success": true}, {"success": true}, {"success": true},
                                   {"success": true}])";
  EXPECT_EQ(ReadSharedReply(allDone, shares), (std::vector<bool>{true, true, true}));
  const std::string oneRefused = R"([{"success": true}, {"success": false, "error": "No matching node"},
                                      {"success": true}, {"success": true}, {"success": true}])";
  EXPECT_EQ(ReadSharedReply(oneRefused, shares), (std::vector<bool>{false, true, true}));
  // sway stops at a command it cannot read: the rest is not told.
  EXPECT_FALSE(ReadSharedReply(R"([{"success": true}, {"success": false}])", shares));
  EXPECT_FALSE(ReadSharedReply(allDone.substr(0, allDone.size() - 1) + R"(, {"success": true}])", shares));
  EXPECT_FALSE(ReadSharedReply("garbage", shares));
}

// A sway of the test's own on a socket: it answers the tree it is given, and
// every command with success but those of the windows it is told to refuse,
// and keeps each message it was sent.
class SwayStandIn {
 public:
  SwayStandIn(std::string tree, std::int64_t refused) : tree_(std::move(tree)), refused_(refused) {
    path_ = std::string(::testing::TempDir()) + "/sway-stand-in-" + std::to_string(::getpid()) + ".sock";
    ::unlink(path_.c_str());
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
    EXPECT_EQ(::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    EXPECT_EQ(::listen(listener_, 1), 0);
    thread_ = std::thread([this] { Serve(); });
  }
  ~SwayStandIn() {
    ::shutdown(listener_, SHUT_RDWR);
    if (client_ >= 0) ::shutdown(client_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
    if (client_ >= 0) ::close(client_);
    ::unlink(path_.c_str());
  }
  const std::string& Path() const { return path_; }
  void SetTree(std::string tree) {
    std::lock_guard lock(mutex_);
    tree_ = std::move(tree);
  }
  // "tree" or the commands, one per message, in order.
  std::vector<std::string> Messages() {
    std::lock_guard lock(mutex_);
    return messages_;
  }

 private:
  static bool ReadAll(int fd, char* into, std::size_t size) {
    while (size > 0) {
      const ssize_t got = ::read(fd, into, size);
      if (got <= 0) return false;
      into += got;
      size -= static_cast<std::size_t>(got);
    }
    return true;
  }
  static void Reply(int fd, std::uint32_t type, const std::string& payload) {
    std::string message = "i3-ipc";
    const auto size = static_cast<std::uint32_t>(payload.size());
    message.append(reinterpret_cast<const char*>(&size), 4);
    message.append(reinterpret_cast<const char*>(&type), 4);
    message += payload;
    EXPECT_EQ(::write(fd, message.data(), message.size()), static_cast<ssize_t>(message.size()));
  }
  // One result per command, each part's refused when its criteria name the
  // refused window.
  std::string Results(const std::string& commands) const {
    std::string results;
    bool quoted = false;
    bool refusing = false;
    bool partStart = true;
    const auto add = [&] { results += std::string(results.empty() ? "" : ",") + (refusing ? R"({"success": false})" : R"({"success": true})"); };
    for (std::size_t i = 0; i < commands.size(); ++i) {
      const char c = commands[i];
      if (partStart && c != ' ') {
        refusing = commands.compare(i, 8 + std::to_string(refused_).size() + 1,
                                    "[con_id=" + std::to_string(refused_) + "]") == 0;
        partStart = false;
      }
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        quoted = !quoted;
      } else if (!quoted && (c == ',' || c == ';')) {
        add();
        partStart = c == ';';
      }
    }
    add();
    return "[" + results + "]";
  }
  void Serve() {
    client_ = ::accept(listener_, nullptr, nullptr);
    if (client_ < 0) return;
    for (;;) {
      char header[14];
      if (!ReadAll(client_, header, sizeof(header))) return;
      std::uint32_t length = 0;
      std::uint32_t type = 0;
      std::memcpy(&length, header + 6, 4);
      std::memcpy(&type, header + 10, 4);
      std::string payload(length, '\0');
      if (!ReadAll(client_, payload.data(), length)) return;
      std::string reply;
      {
        std::lock_guard lock(mutex_);
        messages_.push_back(type == 4 ? "tree" : payload);
        reply = type == 4 ? tree_ : Results(payload);
      }
      Reply(client_, type, reply);
    }
  }

  std::string tree_;
  std::int64_t refused_;
  std::string path_;
  int listener_ = -1;
  int client_ = -1;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> messages_;
};

// A hide or a show of many windows reads the tree once and tells sway in one
// message; each window that sway refused is told as not done, and the windows
// shown go back beside those shown before them in the same message.
TEST(SwayWindows, APassReadsTheTreeOnceAndSendsOneMessage) {
  const std::string tree = R"({"id": 1, "type": "root", "nodes": [{"id": 4, "type": "output", "nodes": [
      {"id": 5, "type": "workspace", "name": "1", "visible": true, "nodes": [
        {"id": 6, "type": "con", "layout": "splith", "nodes": [
          {"id": 10, "type": "con", "name": "left", "app_id": "foot", "pid": 100, "nodes": []},
          {"id": 11, "type": "con", "name": "right", "app_id": "foot", "pid": 101, "nodes": []}]}],
       "floating_nodes": [
        {"id": 12, "type": "floating_con", "name": "float", "app_id": "foot", "pid": 102, "nodes": []},
        {"id": 13, "type": "floating_con", "name": "stubborn", "app_id": "foot", "pid": 103, "nodes": []}]}]}]})";
  SwayStandIn sway(tree, 13);
  const auto ipc = SwayIpc::Connect(sway.Path());
  ASSERT_TRUE(ipc);
  SwayWindowManager windows(*ipc, "");
  const auto handle = [](std::int32_t id) { return WindowHandle(id); };

  EXPECT_EQ(windows.ShowWindowsAsync({handle(12), handle(11), handle(10), handle(13)}, kShowCmdHide),
            (std::vector<bool>{true, true, true, false}));
  std::vector<std::string> messages = sway.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "tree");
  EXPECT_EQ(messages[1],
            "[con_id=12] move scratchpad; [con_id=11] move scratchpad; [con_id=10] move scratchpad; "
            "[con_id=13] move scratchpad");

  // sway refused a command: the tree is read again. Shown from the bottom up,
  // 10 goes back before 11, shown just before it in the same message.
  sway.SetTree(R"({"id": 1, "type": "root", "nodes": [{"id": 2, "type": "output", "nodes": [
      {"id": 3, "type": "workspace", "name": "__i3_scratch", "nodes": [], "floating_nodes": [
        {"id": 10, "type": "floating_con", "name": "left", "app_id": "foot", "pid": 100, "nodes": []},
        {"id": 11, "type": "floating_con", "name": "right", "app_id": "foot", "pid": 101, "nodes": []},
        {"id": 12, "type": "floating_con", "name": "float", "app_id": "foot", "pid": 102, "nodes": []}]}]},
      {"id": 4, "type": "output", "nodes": [{"id": 5, "type": "workspace", "name": "1", "visible": true,
        "nodes": [], "floating_nodes": [
        {"id": 13, "type": "floating_con", "name": "stubborn", "app_id": "foot", "pid": 103, "nodes": []}]}]}]})");
  EXPECT_TRUE(windows.HiddenByThisProgram(handle(10)));
  EXPECT_FALSE(windows.HiddenByThisProgram(handle(13)));
  EXPECT_EQ(windows.ShowWindowsAsync({handle(12), handle(11), handle(10)}, kShowCmdShowNoActivate),
            (std::vector<bool>{true, true, true}));
  messages = sway.Messages();
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[2], "tree");
  EXPECT_NE(messages[3].find("[con_id=11] mark --add \"_blindfold-beside:10\"; [con_id=10] move container to "
                             "workspace \"1\", floating disable, move container to mark \"_blindfold-beside:10\", "
                             "swap container with mark \"_blindfold-beside:10\""),
            std::string::npos)
      << messages[3];
  EXPECT_FALSE(windows.HiddenByThisProgram(handle(10)));
}

}  // namespace
}  // namespace blindfold::sway
