#pragma once

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/background.h"

namespace blindfold::gtk {

// Each job on a thread of its own; its end comes back through the GLib main
// loop, which serves the hotkeys meanwhile.
class GlibBackground final : public Background {
 public:
  GlibBackground() = default;
  GlibBackground(const GlibBackground&) = delete;
  GlibBackground& operator=(const GlibBackground&) = delete;
  // Waits for the jobs still running: they may use what is destroyed next.
  ~GlibBackground() override;

  void Run(std::function<void()> job, std::function<void()> done) override;

 private:
  std::vector<std::thread> threads_;
};

}  // namespace blindfold::gtk
