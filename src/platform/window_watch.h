#pragma once

#include <functional>
#include <optional>

#include "core/window_handle.h"

namespace blindfold {

// Lets the program look after other programs' windows while it keeps some of
// them hidden. Started only then, so that it costs nothing otherwise.
class WindowWatch {
 public:
  virtual ~WindowWatch() = default;

  // From now until Stop, calls `look` on the user-interface thread: with a
  // window that was just shown, where the platform says so as it happens, and
  // with no window every `intervalMs` milliseconds, to look at them all.
  virtual void Start(int intervalMs, std::function<void(std::optional<WindowHandle>)> look) = 0;
  virtual void Stop() = 0;
};

}  // namespace blindfold
