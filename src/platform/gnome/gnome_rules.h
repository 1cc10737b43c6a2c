#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/window_handle.h"
#include "platform/hotkey.h"
#include "platform/linux/listed_windows.h"

// What Blindfold's GNOME Shell extension says, read without the Shell.
namespace blindfold::gnome {

using linux_desktop::HandleOfId;

// A window as the extension lists it.
struct GnomeWindow {
  std::string id;  // the Shell's number for it, as text
  WindowHandle handle;
  std::string title;
  std::string wmClass;
  std::uint32_t pid = 0;
  bool dock = false;
  bool desktop = false;
  WindowHandle transientFor;
  // For a window the extension hid: whether it was minimised before.
  bool minimized = false;
  bool active = false;
  // Hidden by the extension, as it says.
  bool hidden = false;
};

// The extension's window list, top of the stack first; nothing when the text
// is not such a list.
std::optional<std::vector<GnomeWindow>> ReadWindowList(std::string_view json);

// The key combination as the Shell's accelerators write it ("<Super><Alt>z");
// nothing for a key without a name here.
std::optional<std::string> AcceleratorOf(const HotkeyCombination& combination);

}  // namespace blindfold::gnome
