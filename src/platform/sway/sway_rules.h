#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hotkey.h"

namespace blindfold::sway {

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
  // The cons beside a tiled window in its split, 0 for none.
  std::int64_t previousSibling = 0;
  std::int64_t nextSibling = 0;
};

// The windows in `treeJson` (the reply to GET_TREE), those on visible
// workspaces first, floating above tiled, then those on other workspaces and
// last those in the scratchpad. Nothing when the text is not sway's tree.
std::optional<std::vector<SwayWindow>> ReadTree(std::string_view treeJson);

// Where a window hidden here goes back to. It travels as a mark on the window
// itself, so that a later run shows the window as well after this one died.
struct HiddenPlace {
  std::string workspace;
  bool floating = false;
  int fullscreen = 0;
};

std::string MarkOf(std::int64_t window, const HiddenPlace& place);
// The place a mark of ours keeps; nothing for anyone else's mark.
std::optional<HiddenPlace> PlaceOfMark(std::int64_t window, std::string_view mark);
// The first of `marks` that is ours for `window`.
std::optional<std::string> OurMark(std::int64_t window, const std::vector<std::string>& marks);

// The marks that keep a hidden tiled window's place in its split: one on the
// con before it, or, for the first, one on the con after it.
std::string AfterMarkOf(std::int64_t window);
std::string BeforeMarkOf(std::int64_t window);
// Every mark in the reply to GET_MARKS.
std::vector<std::string> ReadMarks(std::string_view marksJson);

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

// The con id and change of a "window" event; the command of a "binding" event.
struct WindowEvent {
  std::string change;
  std::int64_t id = 0;
  std::int64_t xWindow = 0;
};
std::optional<WindowEvent> ReadWindowEvent(std::string_view eventJson);
std::optional<std::string> ReadBindingCommand(std::string_view eventJson);

}  // namespace blindfold::sway
