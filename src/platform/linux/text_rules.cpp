#include "platform/linux/text_rules.h"

#include <algorithm>

namespace blindfold::linux_desktop {
namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

int CountCharacters(std::string_view utf8) {
  return static_cast<int>(std::ranges::count_if(utf8, [](char c) { return !IsContinuationByte(c); }));
}

std::string TextThroughBuffer(std::string_view utf8, int bufferChars) {
  if (bufferChars <= 1) return {};
  utf8 = utf8.substr(0, utf8.find('\0'));
  int characters = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (IsContinuationByte(utf8[i])) continue;
    if (characters++ == bufferChars - 1) return std::string(utf8.substr(0, i));
  }
  return std::string(utf8);
}

std::string SessionKeyOfDisplay(std::string_view displayName) {
  // A Wayland display is named by its socket ("wayland-0"), never with a colon.
  if (!displayName.empty() && displayName.find(':') == std::string_view::npos) {
    std::string key(displayName.substr(displayName.rfind('/') + 1));
    return key;
  }
  std::string_view host = displayName;
  std::string_view number;
  if (const std::size_t colon = displayName.rfind(':'); colon != std::string_view::npos) {
    host = displayName.substr(0, colon);
    number = displayName.substr(colon + 1);
    number = number.substr(0, number.find('.'));
  }
  if (host == "unix" || host == "localhost") host = {};
  std::string key = std::string(host) + ":" + std::string(number);
  std::ranges::replace(key, '/', '_');
  return key;
}

std::string BusNameElement(std::string_view key) {
  std::string element;
  for (const char c : key) {
    const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    element += kept ? c : '_';
  }
  return element;
}

}  // namespace blindfold::linux_desktop
