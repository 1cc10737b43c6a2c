#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hotkey.h"

namespace blindfold::sway {

// The workspace that holds the scratchpad.
inline constexpr std::string_view kScratchpad = "__i3_scratch";

// A window as sway's (or i3's) tree tells it: a view, whatever its shell. Bars
// and other docks are left out.
struct SwayWindow {
  std::int64_t id = 0;
  // The X window of an X11 program's view (under i3, or Xwayland's); 0 for
  // a Wayland one.
  std::int64_t xWindow = 0;
  std::string title;
  // The app id of a Wayland window, or the class of an X11 one.
  std::string appId;
  std::uint32_t pid = 0;
  // The workspace it sits on; the scratchpad's own for a window kept there.
  std::string workspace;
  bool inScratchpad = false;
  bool floating = false;
  // 0 none, 1 its output's, 2 the whole desktop's.
  int fullscreen = 0;
  bool focused = false;
  std::vector<std::string> marks;
  // The views of a tiled window's split, itself among them, in their order;
  // empty for a floating one.
  std::vector<std::int64_t> split;
};

// The windows in `treeJson` (the reply to GET_TREE), those on visible
// workspaces first, floating above tiled, then those on other workspaces and
// last those in the scratchpad. Nothing when the text is not sway's tree.
// Any program names its windows as it likes, and sway passes the bytes on:
// what is not UTF-8 is read as U+FFFD, as in every reply read here.
std::optional<std::vector<SwayWindow>> ReadTree(std::string_view treeJson);

// Where a window hidden here goes back to, as this program's own record keeps
// it. A mark is never trusted, as any program can set one.
struct HiddenPlace {
  std::string workspace;
  bool floating = false;
  int fullscreen = 0;
  // The views of its split when it was hidden, itself among them.
  std::vector<std::int64_t> split;

  bool operator==(const HiddenPlace&) const = default;
};

std::string PlaceText(const HiddenPlace& place);
// Nothing for a text this program did not write.
std::optional<HiddenPlace> PlaceOfText(std::string_view text);

// The mark earlier versions set on a window they hid, which a show takes off.
std::string MarkOf(std::int64_t window, const HiddenPlace& place);

// The view of `split` nearest before `window` for which `present` holds, or
// else the nearest after it (`after` set): where the window goes back
// beside. 0 when none is.
struct Neighbour {
  std::int64_t id = 0;
  bool after = false;
};
Neighbour NeighbourToReturnBeside(std::int64_t window, const std::vector<std::int64_t>& split,
                                  const std::function<bool(std::int64_t)>& present);

// A text as one argument of a sway command: quoted, its quotes and
// backslashes escaped.
std::string Quoted(std::string_view text);

// The key combination as sway's bindsym writes it ("Mod4+Ctrl+Shift+h");
// nothing for a key sway has no name for.
std::optional<std::string> BindingOf(const HotkeyCombination& combination);

// Whether a command reply (a JSON array, an object per command) says every
// command succeeded; the first error otherwise.
struct CommandOutcome {
  bool succeeded = false;
  std::string error;
};
CommandOutcome ReadCommandReply(std::string_view replyJson);

// One window's share of a message that carries the commands of many: its
// text (commands after their criteria, "[con_id=1] mark --add \"m\", move
// scratchpad", or several such joined by ";") and how many commands it holds,
// as sway answers with one result per command.
struct CommandShare {
  std::string text;
  std::size_t commands = 0;

  // Adds `commands` after `criteria` (none: empty), as a part of its own.
  void Add(std::string_view criteria, const std::vector<std::string>& commands);
};
// The shares as one message, each its own part: criteria hold for the part
// they open only.
std::string JoinedShares(const std::vector<CommandShare>& shares);
// For each share, whether sway carried out every one of its commands; nothing
// when the reply does not hold exactly a result for each command (sway stops
// at one it cannot read), so that what was done must be read from the tree.
std::optional<std::vector<bool>> ReadSharedReply(std::string_view replyJson, const std::vector<CommandShare>& shares);

// The con id and change of a "window" event; the command of a "binding" event;
// the change of a "workspace" event ("reload" after sway read its
// configuration again).
struct WindowEvent {
  std::string change;
  std::int64_t id = 0;
  std::int64_t xWindow = 0;
};
std::optional<WindowEvent> ReadWindowEvent(std::string_view eventJson);
std::optional<std::string> ReadBindingCommand(std::string_view eventJson);
std::string ReadEventChange(std::string_view eventJson);

}  // namespace blindfold::sway
