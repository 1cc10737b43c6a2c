#pragma once

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "core/window_handle.h"

namespace blindfold {

// The windows this program keeps hidden, in the order a show goes by: the
// taskbar and the desktop first, then the windows top first. Between hides it
// holds the windows chosen for the next one, which that hide marks again in
// the list. Each window is in it once, however often it was hidden: a panic
// on top of a hide, or round after round, must not make the show longer.
class HiddenWindows {
 public:
  HiddenWindows() = default;
  HiddenWindows(std::initializer_list<WindowHandle> windows) {
    for (const WindowHandle window : windows) Add(window);
  }

  void Add(WindowHandle window) {
    if (!Contains(window)) windows_.push_back(window);
  }
  void Remove(WindowHandle window) { std::erase(windows_, window); }
  void Clear() { windows_.clear(); }

  bool Empty() const { return windows_.empty(); }
  std::size_t Size() const { return windows_.size(); }
  bool Contains(WindowHandle window) const { return std::ranges::find(windows_, window) != windows_.end(); }
  const std::vector<WindowHandle>& Handles() const { return windows_; }
  auto begin() const { return windows_.begin(); }
  auto end() const { return windows_.end(); }

  friend bool operator==(const HiddenWindows&, const HiddenWindows&) = default;

 private:
  std::vector<WindowHandle> windows_;
};

}  // namespace blindfold
