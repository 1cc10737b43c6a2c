#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/window_handle.h"
#include "platform/hotkey.h"

namespace blindfold::kwin {

// A window as Blindfold's KWin script reports it.
struct KWinWindow {
  std::string id;  // KWin's internal id, a uuid
  WindowHandle handle;
  std::string caption;
  std::string resourceClass;
  std::uint32_t pid = 0;
  bool normal = false;
  bool dialog = false;
  bool dock = false;
  bool desktop = false;
  WindowHandle transientFor;
  std::int64_t stackingOrder = 0;
  bool minimized = false;
  bool active = false;
  bool hiddenByBlindfold = false;
};

// The handle of a window's id: the same in every run, so that the record of
// hidden windows still names them after a crash. 31 bits, never 0.
WindowHandle HandleOfId(std::string_view id);

// The script's window list, top of the stack first; nothing when the text is
// not such a list.
std::optional<std::vector<KWinWindow>> ReadWindowList(std::string_view json);

// A request to the script.
struct Request {
  enum class Op { Hide, Show, Activate } op = Op::Hide;
  std::string id;
  bool activate = false;
};
std::string RequestsJson(const std::vector<Request>& requests);

// The key combination as Qt's key code, as KDE's global shortcuts store it;
// nothing for a key without one here.
std::optional<int> QtKeyOf(const HotkeyCombination& combination);

// The script's text with Blindfold's bus name, object path and interface put
// in place of its placeholders.
std::string ScriptText(std::string_view text, std::string_view service, std::string_view path,
                       std::string_view interfaceName);

}  // namespace blindfold::kwin
