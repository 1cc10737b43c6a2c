#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/window_handle.h"
#include "platform/hotkey.h"
#include "platform/linux/listed_windows.h"

namespace blindfold::kwin {

// What a hide takes from a window and a show gives back: whether it was
// minimised, its three switches and, for a window that cannot be minimised
// (a panel), its opacity.
struct GivenBack {
  bool minimized = false;
  bool skipTaskbar = false;
  bool skipPager = false;
  bool skipSwitcher = false;
  double opacity = 1.0;
  bool byOpacity = false;

  bool operator==(const GivenBack&) const = default;
};

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
  bool skipTaskbar = false;
  bool skipPager = false;
  bool skipSwitcher = false;
  bool minimizable = true;
  double opacity = 1.0;
  bool active = false;
  // Blindfold's own record says so, whatever the script reports.
  bool hiddenByBlindfold = false;
};

// What the script makes of a window it is asked to hide or show, assumed
// until its next report tells.
void Assume(KWinWindow& window, bool hidden);
// Out of sight: hidden by the script and not brought back by the user since.
// A panel, which cannot be minimised, is hidden by its opacity.
bool OutOfSight(const KWinWindow& window);

// What a hide of `window` as it is now would have to give back.
GivenBack GivenBackOf(const KWinWindow& window);
// As sent to the script and kept in Blindfold's record: a JSON object. The
// record's also says when a show was asked and not yet reported done
// (`showAsked`), which the script never reads.
std::string GivenBackJson(const GivenBack& givenBack, bool showAsked = false);
// Nothing when the text is not such an object.
std::optional<GivenBack> ReadGivenBack(std::string_view json);
bool ShowAsked(std::string_view json);

using linux_desktop::HandleOfId;

// The script's window list, top of the stack first; nothing when the text is
// not such a list.
std::optional<std::vector<KWinWindow>> ReadWindowList(std::string_view json);

// A report of the script's: its window list and the number of the last batch
// of requests it carried out (0 for none), as {"done": N, "windows": [...]}.
struct Report {
  std::int64_t done = 0;
  std::vector<KWinWindow> windows;
};
std::optional<Report> ReadReport(std::string_view json);

// A request to the script. A hide or a show carries what Blindfold's record
// says the window is to be given back, which the script takes over its own.
struct Request {
  enum class Op { Hide, Show, Activate } op = Op::Hide;
  std::string id;
  bool activate = false;
  std::optional<GivenBack> givenBack;
};
std::string RequestsJson(const std::vector<Request>& requests);
// The answer to the script's poll: {"batch": N, "requests": [...]}.
std::string BatchJson(std::int64_t batch, const std::vector<Request>& requests);

// The key combination as Qt's key code, as KDE's global shortcuts store it;
// nothing for a key without one here.
std::optional<int> QtKeyOf(const HotkeyCombination& combination);

// A global shortcut the script registers: KWin lists it as `shortcut` with
// `description`, and the script reports a press as Pressed(name).
struct ScriptShortcut {
  std::string name;
  std::string shortcut;
  std::string description;
};

// The script's text with Blindfold's bus name, object path and interface put
// in place of its placeholders, and the shortcuts it registers (none for a
// copy that must leave the keys to another).
std::string ScriptText(std::string_view text, std::string_view service, std::string_view path,
                       std::string_view interfaceName, const std::vector<ScriptShortcut>& shortcuts);

}  // namespace blindfold::kwin
