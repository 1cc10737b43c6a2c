#pragma once

#include <functional>

namespace blindfold {

// Work too slow for the user-interface thread, which must go on answering the
// hotkeys (panic above all) while it runs.
class Background {
 public:
  virtual ~Background() = default;

  // Runs `job` on a thread of its own, then `done` on the user-interface
  // thread, from its message loop. `job` may touch only what it was given.
  virtual void Run(std::function<void()> job, std::function<void()> done) = 0;
};

}  // namespace blindfold
