#include "platform/kwin/kwin_rules.h"

#include <algorithm>

#include "platform/linux/json_reading.h"

namespace blindfold::kwin {

using namespace linux_desktop;

namespace {

// An opacity outside 0 to 1 is none KWin gave: a window is given back fully
// opaque rather than invisible.
double OpacityMember(JsonObject* object, const char* name) {
  const double value = NumberMember(object, name).value_or(1.0);
  return value > 0.0 && value <= 1.0 ? value : 1.0;
}

// What every report and record read here comes from, for the log.
constexpr std::string_view kSender = "kwin";

std::vector<KWinWindow> WindowsOf(JsonArray* array) {
  std::vector<KWinWindow> windows;
  for (guint i = 0; i < json_array_get_length(array); ++i) {
    JsonNode* node = json_array_get_element(array, i);
    if (!JSON_NODE_HOLDS_OBJECT(node)) continue;
    JsonObject* object = json_node_get_object(node);
    KWinWindow window;
    window.id = StringMember(object, "id");
    if (window.id.empty()) continue;
    window.handle = HandleOfId(window.id);
    window.caption = StringMember(object, "caption");
    window.resourceClass = StringMember(object, "resourceClass");
    window.pid = static_cast<std::uint32_t>(std::max<std::int64_t>(0, IntMember(object, "pid")));
    window.normal = BoolMember(object, "normal");
    window.dialog = BoolMember(object, "dialog");
    window.dock = BoolMember(object, "dock");
    window.desktop = BoolMember(object, "desktop");
    const std::string owner = StringMember(object, "transientFor");
    if (!owner.empty()) window.transientFor = HandleOfId(owner);
    window.stackingOrder = IntMember(object, "stackingOrder");
    window.minimized = BoolMember(object, "minimized");
    window.skipTaskbar = BoolMember(object, "skipTaskbar");
    window.skipPager = BoolMember(object, "skipPager");
    window.skipSwitcher = BoolMember(object, "skipSwitcher");
    window.minimizable = BoolMember(object, "minimizable", true);
    window.opacity = OpacityMember(object, "opacity");
    window.active = BoolMember(object, "active");
    // What the script says it hid is not taken: the bridge's record tells.
    windows.push_back(std::move(window));
  }
  std::ranges::stable_sort(windows, std::ranges::greater(), &KWinWindow::stackingOrder);
  return windows;
}

std::string Escaped(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '"' || c == '\\') escaped += '\\';
    if (static_cast<unsigned char>(c) < 0x20) continue;
    escaped += c;
  }
  return escaped;
}

}  // namespace

std::optional<std::vector<KWinWindow>> ReadWindowList(std::string_view json) {
  const JsonText text(json, kSender);
  if (!text.Array()) return std::nullopt;
  return WindowsOf(text.Array());
}

std::optional<Report> ReadReport(std::string_view json) {
  const JsonText text(json, kSender);
  JsonArray* windows = text.Object() ? ArrayMember(text.Object(), "windows") : nullptr;
  if (!windows) return std::nullopt;
  return Report{std::max<std::int64_t>(0, IntMember(text.Object(), "done")), WindowsOf(windows)};
}

void Assume(KWinWindow& window, bool hidden) {
  window.hiddenByBlindfold = window.minimized = hidden;
  if (hidden) window.active = false;
}

bool OutOfSight(const KWinWindow& window) { return window.hiddenByBlindfold && (window.minimized || window.dock); }

GivenBack GivenBackOf(const KWinWindow& window) {
  return {.minimized = window.minimized,
          .skipTaskbar = window.skipTaskbar,
          .skipPager = window.skipPager,
          .skipSwitcher = window.skipSwitcher,
          .opacity = window.opacity,
          .byOpacity = !window.minimizable};
}

std::string GivenBackJson(const GivenBack& givenBack, bool showAsked) {
  const auto flag = [](bool value) { return value ? "true" : "false"; };
  gchar opacity[G_ASCII_DTOSTR_BUF_SIZE];
  g_ascii_dtostr(opacity, sizeof opacity, givenBack.opacity);
  return std::string("{\"minimized\":") + flag(givenBack.minimized) + ",\"skipTaskbar\":" +
         flag(givenBack.skipTaskbar) + ",\"skipPager\":" + flag(givenBack.skipPager) + ",\"skipSwitcher\":" +
         flag(givenBack.skipSwitcher) + ",\"opacity\":" + opacity + ",\"byOpacity\":" + flag(givenBack.byOpacity) +
         (showAsked ? ",\"showAsked\":true}" : "}");
}

bool ShowAsked(std::string_view json) {
  const JsonText text(json, kSender);
  return text.Object() && BoolMember(text.Object(), "showAsked");
}

std::optional<GivenBack> ReadGivenBack(std::string_view json) {
  const JsonText text(json, kSender);
  JsonObject* object = text.Object();
  if (!object) return std::nullopt;
  return GivenBack{.minimized = BoolMember(object, "minimized"),
                   .skipTaskbar = BoolMember(object, "skipTaskbar"),
                   .skipPager = BoolMember(object, "skipPager"),
                   .skipSwitcher = BoolMember(object, "skipSwitcher"),
                   .opacity = OpacityMember(object, "opacity"),
                   .byOpacity = BoolMember(object, "byOpacity")};
}

std::string RequestsJson(const std::vector<Request>& requests) {
  std::string json = "[";
  for (const Request& request : requests) {
    if (json.size() > 1) json += ",";
    const char* op = request.op == Request::Op::Hide ? "hide" : request.op == Request::Op::Show ? "show" : "activate";
    json += std::string("{\"op\":\"") + op + "\",\"id\":\"" + Escaped(request.id) + "\"";
    if (request.op == Request::Op::Show) json += request.activate ? ",\"activate\":true" : ",\"activate\":false";
    if (request.givenBack && request.op != Request::Op::Activate) {
      json += ",\"givenBack\":" + GivenBackJson(*request.givenBack);
    }
    json += "}";
  }
  return json + "]";
}

std::string BatchJson(std::int64_t batch, const std::vector<Request>& requests) {
  return "{\"batch\":" + std::to_string(batch) + ",\"requests\":" + RequestsJson(requests) + "}";
}

std::optional<int> QtKeyOf(const HotkeyCombination& combination) {
  const std::int32_t vkey = combination.vkey;
  int key = 0;
  if ((vkey >= 'A' && vkey <= 'Z') || (vkey >= '0' && vkey <= '9')) {
    key = vkey;  // Qt::Key_A… and Qt::Key_0… are their ASCII codes
  } else if (vkey >= 0x70 && vkey <= 0x87) {
    key = 0x01000030 + (vkey - 0x70);  // Qt::Key_F1…
  } else {
    static constexpr std::pair<std::int32_t, int> kOthers[] = {
        {0x08, 0x01000003}, {0x09, 0x01000001}, {0x0D, 0x01000004}, {0x1B, 0x01000000}, {0x20, 0x20},
        {0x21, 0x01000016}, {0x22, 0x01000017}, {0x23, 0x01000011}, {0x24, 0x01000010}, {0x25, 0x01000012},
        {0x26, 0x01000013}, {0x27, 0x01000014}, {0x28, 0x01000015}, {0x2D, 0x01000006}, {0x2E, 0x01000007},
    };
    const auto found = std::ranges::find(kOthers, vkey, &std::pair<std::int32_t, int>::first);
    if (found == std::end(kOthers)) return std::nullopt;
    key = found->second;
  }
  if (combination.shiftKey) key |= 0x02000000;
  if (combination.ctrlKey) key |= 0x04000000;
  if (combination.altKey) key |= 0x08000000;
  if (combination.winKey) key |= 0x10000000;
  return key;
}

std::string ScriptText(std::string_view text, std::string_view service, std::string_view path,
                       std::string_view interfaceName, const std::vector<ScriptShortcut>& shortcuts) {
  std::string list = "[";
  for (const ScriptShortcut& each : shortcuts) {
    if (list.size() > 1) list += ",";
    list += "[\"" + Escaped(each.name) + "\",\"" + Escaped(each.shortcut) + "\",\"" + Escaped(each.description) + "\"]";
  }
  list += "]";
  std::string script(text);
  const auto replace = [&script](std::string_view placeholder, std::string_view value) {
    for (std::size_t at = script.find(placeholder); at != std::string::npos;
         at = script.find(placeholder, at + value.size())) {
      script.replace(at, placeholder.size(), value);
    }
  };
  replace("@SERVICE@", service);
  replace("@PATH@", path);
  replace("@INTERFACE@", interfaceName);
  replace("@SHORTCUTS@", list);
  return script;
}

}  // namespace blindfold::kwin
