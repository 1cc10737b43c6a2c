#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// How X11 windows and their properties map onto the window model the logic
// knows from Windows; free of X so that the rules can be tested alone.
namespace blindfold::x11 {

// What a window is to the desktop, from its _NET_WM_WINDOW_TYPE list.
enum class WindowType { Normal, Dock, Desktop };

// The list names types in order of preference, vendor types before the
// standard one they fall back on: the first standard type decides.
WindowType TypeFromTypes(std::span<const unsigned long> types, unsigned long dockType, unsigned long desktopType,
                         std::span<const unsigned long> otherStandardTypes);

// The title: _NET_WM_NAME when set (UTF-8), else WM_NAME; empty for neither.
std::string TitleFromNames(const std::optional<std::string>& netWmName, const std::optional<std::string>& wmName);

// The class part of WM_CLASS, which holds "instance\0class\0".
std::string ClassFromWmClass(std::string_view wmClass);

// WM_NAME of type STRING is Latin-1.
std::string Latin1ToUtf8(std::string_view latin1);

// What a window had when it was hidden, so that showing it again brings it
// back as the user left it. Kept on the hidden window itself, so that a
// Blindfold started after a crash still knows it.
struct SavedPlacement {
  std::uint32_t desktop = 0;      // _NET_WM_DESKTOP; 0xFFFFFFFF on every desktop
  bool hasDesktop = false;
  std::int32_t x = 0;             // where the window manager is asked to put it
  std::int32_t y = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool minimised = false;
  bool focused = false;           // the window the user worked in
  std::vector<unsigned long> states;  // _NET_WM_STATE atoms
  std::vector<unsigned long> group;   // other windows hidden and shown with it
  // The windows above it when it was hidden, nearest first: it goes back
  // below the nearest of them still on screen.
  std::vector<unsigned long> above;

  bool operator==(const SavedPlacement&) const = default;
};

// As 32-bit items of one window property, and back; nothing for items that
// are not such a record (another version, or damaged). A record of the
// previous version, which a Blindfold that died before an update left, is
// read without the windows above.
std::vector<unsigned long> EncodePlacement(const SavedPlacement& placement);
std::optional<SavedPlacement> DecodePlacement(std::span<const unsigned long> items);

// How many windows above a hidden one are kept: enough for any stack a user
// works in, while the record stays one small property.
inline constexpr std::size_t kKeptWindowsAbove = 32;

// What puts the windows shown in one go back where they were in the stack.
// Each belongs directly below the nearest window that was above it when it was
// hidden (`above`, nearest first) and is on screen now, one shown with it or
// one that stayed (`stayedTopFirst`, as they stand); with none, it was at the
// top. Worked out in one pass, so that the order in which the windows are
// given changes nothing. Windows whose records point at each other in a ring
// (a record is another program's to rewrite) go to the top.
//
// The requests run bottom up, from the lowest window shown: each goes above
// the window that belongs directly below it (or, lowest of all, below
// everything). A window manager that honours the sibling puts each where it
// belongs; one that only raises (openbox) raises them all in order, the
// windows that stayed above the lowest one shown among them, and the stack
// ends the same.
struct ShownWindow {
  unsigned long window = 0;
  std::vector<unsigned long> above;
};
struct StackRequest {
  unsigned long window = 0;
  unsigned long sibling = 0;  // 0: none
  bool above = true;          // above the sibling, or else below it

  bool operator==(const StackRequest&) const = default;
};
std::vector<StackRequest> StackRequests(std::span<const ShownWindow> shown,
                                        std::span<const unsigned long> stayedTopFirst);

// What the window manager says of a window that is not on screen, as the
// state to give it back. Iconic in WM_STATE means minimised only on the
// desktop the user looks at: some window managers give it to every window on
// another desktop. _NET_WM_STATE_HIDDEN is minimised wherever the window
// manager keeps it; where it does not, only WM_STATE can tell.
struct ScreenStateFacts {
  bool iconic = false;            // WM_STATE is IconicState
  bool hiddenState = false;       // _NET_WM_STATE holds _NET_WM_STATE_HIDDEN
  bool managerKeepsHidden = false;  // _NET_SUPPORTED lists it
  bool onCurrentDesktop = true;   // on the desktop shown, or on every one
};
bool MinimisedFrom(const ScreenStateFacts& facts);

// Whether a window manager's preferences file, as icewm writes it, leaves its
// Windows-key handling on (Win95Keys): then it takes every combination with
// the Windows key before any other program. Nothing when the file does not
// say; the last setting of several counts, as icewm reads it.
std::optional<bool> Win95KeysSetting(std::string_view preferences);

}  // namespace blindfold::x11
