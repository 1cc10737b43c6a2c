#include "platform/sway/sway_rules.h"

#include <algorithm>
#include <charconv>

#include "platform/linux/json_reading.h"
#include "platform/linux/key_rules.h"

namespace blindfold::sway {

using namespace linux_desktop;

namespace {

struct Walk {
  // Visible floating, visible tiled, elsewhere, scratchpad.
  std::vector<SwayWindow> bands[4];
};

// A view is a con with a program behind it: sway gives it a pid (i3 an X
// window), and either an app id or X11 window properties.
bool IsView(JsonObject* node) {
  const std::string type = StringMember(node, "type");
  return (type == "con" || type == "floating_con") &&
         (json_object_has_member(node, "app_id") || json_object_has_member(node, "window_properties")) &&
         (IntMember(node, "pid") > 0 || IntMember(node, "window") > 0) && StringMember(node, "window_type") != "dock";
}

void Visit(JsonObject* node, const std::string& workspace, bool workspaceVisible, bool floating,
           const std::vector<std::int64_t>& split, Walk& walk, int depth) {
  if (depth > 64) return;  // no real tree is this deep
  const std::string type = StringMember(node, "type");
  std::string here = workspace;
  bool visible = workspaceVisible;
  if (type == "workspace") {
    here = StringMember(node, "name");
    visible = BoolMember(node, "visible");
  }
  if (IsView(node)) {
    SwayWindow window;
    window.id = IntMember(node, "id");
    window.xWindow = IntMember(node, "window");
    window.title = StringMember(node, "name");
    window.appId = StringMember(node, "app_id");
    if (window.appId.empty()) {
      if (JsonObject* properties = ObjectMember(node, "window_properties")) window.appId = StringMember(properties, "class");
    }
    window.pid = static_cast<std::uint32_t>(IntMember(node, "pid"));
    window.workspace = here;
    window.inScratchpad = here == kScratchpad;
    window.floating = floating || type == "floating_con";
    window.fullscreen = static_cast<int>(IntMember(node, "fullscreen_mode"));
    window.focused = BoolMember(node, "focused");
    if (!window.floating) window.split = split;
    if (JsonArray* marks = ArrayMember(node, "marks")) {
      for (guint i = 0; i < json_array_get_length(marks); ++i) {
        JsonNode* mark = json_array_get_element(marks, i);
        if (json_node_get_value_type(mark) == G_TYPE_STRING) window.marks.emplace_back(json_node_get_string(mark));
      }
    }
    const int band = window.inScratchpad ? 3 : !visible ? 2 : window.floating ? 0 : 1;
    walk.bands[band].push_back(std::move(window));
  }
  // Floating children first: they are drawn above the tiled ones.
  for (const char* member : {"floating_nodes", "nodes"}) {
    JsonArray* children = ArrayMember(node, member);
    if (!children) continue;
    const guint count = json_array_get_length(children);
    // Only a view is a neighbour to go back beside: moved to a split, a
    // window would go inside it.
    std::vector<std::int64_t> views;
    for (guint i = 0; i < count; ++i) {
      JsonNode* child = json_array_get_element(children, i);
      if (JSON_NODE_HOLDS_OBJECT(child) && IsView(json_node_get_object(child))) {
        views.push_back(IntMember(json_node_get_object(child), "id"));
      }
    }
    for (guint i = 0; i < count; ++i) {
      JsonNode* child = json_array_get_element(children, i);
      if (!JSON_NODE_HOLDS_OBJECT(child)) continue;
      Visit(json_node_get_object(child), here, visible, floating || std::string_view(member) == "floating_nodes",
            views, walk, depth + 1);
    }
  }
}

constexpr std::string_view kMarkPrefix = "blindfold:";
// What every reply and event read here comes from, for the log.
constexpr std::string_view kSender = "sway";

}  // namespace

std::optional<std::vector<SwayWindow>> ReadTree(std::string_view treeJson) {
  const JsonText text(treeJson, kSender);
  JsonObject* object = text.Object();
  if (!object || StringMember(object, "type") != "root") return std::nullopt;
  Walk walk;
  Visit(object, {}, false, false, {}, walk, 0);
  std::vector<SwayWindow> windows;
  for (auto& band : walk.bands) {
    for (auto& window : band) windows.push_back(std::move(window));
  }
  return windows;
}

// blindfold:<id>:<t|f><fullscreen>:<workspace>, the workspace last, as its
// name may hold anything.
std::string MarkOf(std::int64_t window, const HiddenPlace& place) {
  return std::string(kMarkPrefix) + std::to_string(window) + ":" + (place.floating ? "f" : "t") +
         std::to_string(place.fullscreen) + ":" + place.workspace;
}

// "<t|f><fullscreen> <split, comma-separated, or -> <workspace>", the
// workspace last, as its name may hold anything.
std::string PlaceText(const HiddenPlace& place) {
  std::string split;
  for (const std::int64_t id : place.split) split += (split.empty() ? "" : ",") + std::to_string(id);
  return std::string(place.floating ? "f" : "t") + std::to_string(place.fullscreen) + " " +
         (split.empty() ? "-" : split) + " " + place.workspace;
}

std::optional<HiddenPlace> PlaceOfText(std::string_view text) {
  if (text.size() < 3 || (text[0] != 'f' && text[0] != 't') || text[1] < '0' || text[1] > '2' || text[2] != ' ') {
    return std::nullopt;
  }
  HiddenPlace place;
  place.floating = text[0] == 'f';
  place.fullscreen = text[1] - '0';
  text.remove_prefix(3);
  const std::size_t space = text.find(' ');
  if (space == std::string_view::npos) return std::nullopt;
  std::string_view split = text.substr(0, space);
  place.workspace = std::string(text.substr(space + 1));
  if (place.workspace.empty() || place.workspace == kScratchpad) return std::nullopt;
  if (split == "-") return place;
  while (!split.empty()) {
    const std::size_t comma = split.find(',');
    const std::string_view item = split.substr(0, comma);
    std::int64_t id = 0;
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), id);
    if (error != std::errc() || end != item.data() + item.size() || id <= 0) return std::nullopt;
    place.split.push_back(id);
    split = comma == std::string_view::npos ? std::string_view() : split.substr(comma + 1);
  }
  return place;
}

Neighbour NeighbourToReturnBeside(std::int64_t window, const std::vector<std::int64_t>& split,
                                  const std::function<bool(std::int64_t)>& present) {
  const auto self = std::find(split.begin(), split.end(), window);
  if (self == split.end()) return {};
  for (auto before = std::make_reverse_iterator(self); before != split.rend(); ++before) {
    if (present(*before)) return {*before, false};
  }
  for (auto after = std::next(self); after != split.end(); ++after) {
    if (present(*after)) return {*after, true};
  }
  return {};
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

std::optional<std::string> BindingOf(const HotkeyCombination& combination) {
  const unsigned long keysym = KeysymOfVirtualKey(combination.vkey);
  const std::optional<std::string> name = keysym ? KeysymName(keysym) : std::nullopt;
  if (!name) return std::nullopt;
  std::string binding;
  if (combination.winKey) binding += "Mod4+";
  if (combination.ctrlKey) binding += "Ctrl+";
  if (combination.altKey) binding += "Mod1+";
  if (combination.shiftKey) binding += "Shift+";
  return binding + *name;
}

CommandOutcome ReadCommandReply(std::string_view replyJson) {
  const JsonText text(replyJson, kSender);
  JsonArray* results = text.Array();
  if (!results) return {false, "no answer from sway"};
  for (guint i = 0; i < json_array_get_length(results); ++i) {
    JsonNode* result = json_array_get_element(results, i);
    if (!JSON_NODE_HOLDS_OBJECT(result)) return {false, "no answer from sway"};
    JsonObject* object = json_node_get_object(result);
    if (!BoolMember(object, "success")) return {false, StringMember(object, "error")};
  }
  return {json_array_get_length(results) > 0, {}};
}

void CommandShare::Add(std::string_view criteria, const std::vector<std::string>& added) {
  if (added.empty()) return;
  if (!text.empty()) text += "; ";
  if (!criteria.empty()) text += std::string(criteria) + " ";
  for (std::size_t i = 0; i < added.size(); ++i) text += (i ? ", " : "") + added[i];
  commands += added.size();
}

std::string JoinedShares(const std::vector<CommandShare>& shares) {
  std::string joined;
  for (const CommandShare& share : shares) {
    if (share.commands == 0) continue;
    if (!joined.empty()) joined += "; ";
    joined += share.text;
  }
  return joined;
}

std::optional<std::vector<bool>> ReadSharedReply(std::string_view replyJson, const std::vector<CommandShare>& shares) {
  const JsonText text(replyJson, kSender);
  JsonArray* results = text.Array();
  if (!results) return std::nullopt;
  const guint count = json_array_get_length(results);
  std::vector<bool> carriedOut;
  guint next = 0;
  for (const CommandShare& share : shares) {
    bool all = true;
    for (std::size_t i = 0; i < share.commands; ++i, ++next) {
      if (next >= count) return std::nullopt;
      JsonNode* result = json_array_get_element(results, next);
      if (!JSON_NODE_HOLDS_OBJECT(result)) return std::nullopt;
      all = all && BoolMember(json_node_get_object(result), "success");
    }
    carriedOut.push_back(all);
  }
  if (next != count) return std::nullopt;
  return carriedOut;
}

std::optional<WindowEvent> ReadWindowEvent(std::string_view eventJson) {
  const JsonText text(eventJson, kSender);
  JsonObject* object = text.Object();
  JsonObject* container = object ? ObjectMember(object, "container") : nullptr;
  if (!container) return std::nullopt;
  return WindowEvent{StringMember(object, "change"), IntMember(container, "id"), IntMember(container, "window")};
}

std::optional<std::string> ReadBindingCommand(std::string_view eventJson) {
  const JsonText text(eventJson, kSender);
  JsonObject* binding = text.Object() ? ObjectMember(text.Object(), "binding") : nullptr;
  if (!binding) return std::nullopt;
  return StringMember(binding, "command");
}

std::string ReadEventChange(std::string_view eventJson) {
  const JsonText text(eventJson, kSender);
  return text.Object() ? StringMember(text.Object(), "change") : std::string();
}

}  // namespace blindfold::sway
