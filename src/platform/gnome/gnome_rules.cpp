#include "platform/gnome/gnome_rules.h"

#include <algorithm>

#include "platform/linux/json_reading.h"
#include "platform/linux/key_rules.h"

namespace blindfold::gnome {

using namespace linux_desktop;

std::optional<std::vector<GnomeWindow>> ReadWindowList(std::string_view json) {
  const JsonText text(json, "gnome");
  JsonArray* array = text.Array();
  if (!array) return std::nullopt;
  std::vector<GnomeWindow> windows;
  for (guint i = 0; i < json_array_get_length(array); ++i) {
    JsonNode* node = json_array_get_element(array, i);
    if (!JSON_NODE_HOLDS_OBJECT(node)) continue;
    JsonObject* object = json_node_get_object(node);
    GnomeWindow window;
    window.id = StringMember(object, "id");
    if (window.id.empty()) continue;
    window.handle = HandleOfId(window.id);
    window.title = StringMember(object, "title");
    window.wmClass = StringMember(object, "wmClass");
    window.pid = static_cast<std::uint32_t>(std::clamp<std::int64_t>(IntMember(object, "pid"), 0, INT32_MAX));
    window.dock = BoolMember(object, "dock");
    window.desktop = BoolMember(object, "desktop");
    const std::string owner = StringMember(object, "transientFor");
    if (!owner.empty()) window.transientFor = HandleOfId(owner);
    window.minimized = BoolMember(object, "minimized");
    window.active = BoolMember(object, "active");
    window.hidden = BoolMember(object, "hidden");
    windows.push_back(std::move(window));
  }
  return windows;
}

std::optional<std::string> AcceleratorOf(const HotkeyCombination& combination) {
  const unsigned long keysym = KeysymOfVirtualKey(combination.vkey);
  const std::optional<std::string> name = keysym ? KeysymName(keysym) : std::nullopt;
  if (!name) return std::nullopt;
  std::string accelerator;
  if (combination.winKey) accelerator += "<Super>";
  if (combination.ctrlKey) accelerator += "<Control>";
  if (combination.altKey) accelerator += "<Alt>";
  if (combination.shiftKey) accelerator += "<Shift>";
  return accelerator + *name;
}

}  // namespace blindfold::gnome
