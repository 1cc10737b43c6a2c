#include "platform/linux/json_reading.h"

#include <set>

#include "core/log.h"

namespace blindfold::linux_desktop {

JsonText::JsonText(std::string_view json, std::string_view sender) : parser_(json_parser_new()) {
  const GlibMemory<gchar> valid(g_utf8_validate_len(json.data(), json.size(), nullptr)
                                ? nullptr
                                : g_utf8_make_valid(json.data(), static_cast<gssize>(json.size())));
  if (valid) {
    // Said once for each sender, not for every reply.
    static std::set<std::string, std::less<>> told;
    if (told.insert(std::string(sender)).second) {
      log::Warning(sender, sender, " sent text that is not UTF-8: read with U+FFFD in its place");
    }
    json = valid.Get();
  }
  if (!json_parser_load_from_data(parser_.Get(), json.data(), static_cast<gssize>(json.size()), nullptr)) return;
  root_ = json_parser_get_root(parser_.Get());
}

JsonObject* JsonText::Object() const {
  return root_ && JSON_NODE_HOLDS_OBJECT(root_) ? json_node_get_object(root_) : nullptr;
}

JsonArray* JsonText::Array() const {
  return root_ && JSON_NODE_HOLDS_ARRAY(root_) ? json_node_get_array(root_) : nullptr;
}

std::string StringMember(JsonObject* object, const char* name) {
  JsonNode* node = json_object_get_member(object, name);
  if (!node || json_node_get_value_type(node) != G_TYPE_STRING) return {};
  return json_node_get_string(node);
}

std::optional<double> NumberMember(JsonObject* object, const char* name) {
  JsonNode* node = json_object_get_member(object, name);
  if (!node || !JSON_NODE_HOLDS_VALUE(node)) return std::nullopt;
  if (json_node_get_value_type(node) == G_TYPE_DOUBLE) return json_node_get_double(node);
  if (json_node_get_value_type(node) == G_TYPE_INT64) return static_cast<double>(json_node_get_int(node));
  return std::nullopt;
}

std::int64_t IntMember(JsonObject* object, const char* name) {
  JsonNode* node = json_object_get_member(object, name);
  if (!node || !JSON_NODE_HOLDS_VALUE(node)) return 0;
  if (json_node_get_value_type(node) == G_TYPE_INT64) return json_node_get_int(node);
  if (json_node_get_value_type(node) == G_TYPE_DOUBLE) return static_cast<std::int64_t>(json_node_get_double(node));
  return 0;
}

bool BoolMember(JsonObject* object, const char* name, bool absent) {
  JsonNode* node = json_object_get_member(object, name);
  if (!node || !JSON_NODE_HOLDS_VALUE(node) || json_node_get_value_type(node) != G_TYPE_BOOLEAN) return absent;
  return json_node_get_boolean(node);
}

JsonArray* ArrayMember(JsonObject* object, const char* name) {
  JsonNode* node = json_object_get_member(object, name);
  return node && JSON_NODE_HOLDS_ARRAY(node) ? json_node_get_array(node) : nullptr;
}

JsonObject* ObjectMember(JsonObject* object, const char* name) {
  JsonNode* node = json_object_get_member(object, name);
  return node && JSON_NODE_HOLDS_OBJECT(node) ? json_node_get_object(node) : nullptr;
}

}  // namespace blindfold::linux_desktop
