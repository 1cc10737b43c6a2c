#pragma once

#include <json-glib/json-glib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/glib_handles.h"

// JSON as the Linux doors receive it (sway's replies and events, the KWin
// script's reports), read with json-glib. A member that is missing or of
// another type reads as its type's empty value: a reply names what it knows.
namespace blindfold::linux_desktop {

// A JSON text, parsed; its nodes live as long as it does.
class JsonText {
 public:
  // `sender` names who sent the text, for the log. A title, an app id, a
  // mark or a workspace's name may hold any bytes: those that are not UTF-8,
  // which the parser would refuse with the whole text, are read as U+FFFD.
  JsonText(std::string_view json, std::string_view sender);

  // The root object or array; nothing for text that is not JSON, or whose
  // root is something else.
  JsonObject* Object() const;
  JsonArray* Array() const;

 private:
  UniqueGObject<JsonParser> parser_;
  JsonNode* root_ = nullptr;
};

std::string StringMember(JsonObject* object, const char* name);
// A number written as an integer or as a float (JavaScript writes only the
// latter), cut to an integer.
std::int64_t IntMember(JsonObject* object, const char* name);
std::optional<double> NumberMember(JsonObject* object, const char* name);
bool BoolMember(JsonObject* object, const char* name, bool absent = false);
JsonArray* ArrayMember(JsonObject* object, const char* name);
JsonObject* ObjectMember(JsonObject* object, const char* name);

}  // namespace blindfold::linux_desktop
