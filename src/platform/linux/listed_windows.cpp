#include "platform/linux/listed_windows.h"

#include <unistd.h>

#include "platform/linux/text_rules.h"

namespace blindfold::linux_desktop {

// FNV-1a, folded to 31 bits.
WindowHandle HandleOfId(std::string_view id) {
  std::uint32_t hash = 2166136261u;
  for (const char c : id) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  const auto value = static_cast<std::int32_t>(hash & 0x7fffffffu);
  return WindowHandle(value == 0 ? 1 : value);
}

std::optional<ListedWindow> ListedWindowManager::Listed(WindowHandle window) {
  std::optional<ListedWindow> found;
  if (!window) return found;
  VisitListed([&](const ListedWindow& listed) {
    if (listed.handle == window) found = listed;
    return !found;
  });
  return found;
}

int ListedWindowManager::WindowTextLength(WindowHandle window) {
  const std::optional<ListedWindow> found = Listed(window);
  return found ? CountCharacters(TextThroughBuffer(found->title, 1 << 30)) : 0;
}

std::string ListedWindowManager::WindowText(WindowHandle window, int bufferChars) {
  const std::optional<ListedWindow> found = Listed(window);
  return found ? TextThroughBuffer(found->title, bufferChars) : std::string();
}

std::string ListedWindowManager::ClassName(WindowHandle window, int bufferChars) {
  const std::optional<ListedWindow> found = Listed(window);
  return found ? TextThroughBuffer(found->className, bufferChars) : std::string();
}

std::uint32_t ListedWindowManager::ProcessId(WindowHandle window) {
  if (window == kThisProgram) return static_cast<std::uint32_t>(getpid());
  const std::optional<ListedWindow> found = Listed(window);
  return found ? ListedProcess(*found) : 0;
}

WindowHandle ListedWindowManager::FirstWindowOf(std::uint32_t pid) {
  WindowHandle first = kThisProgram;
  VisitListed([&](const ListedWindow& listed) {
    if (listed.pid != pid) return true;
    first = listed.handle;
    return false;
  });
  return first;
}

WindowHandle ListedWindowManager::ThisProgramsWindow() { return FirstWindowOf(static_cast<std::uint32_t>(getpid())); }

}  // namespace blindfold::linux_desktop
