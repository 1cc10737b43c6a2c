#pragma once

#include "platform/window_watch.h"

namespace blindfold {

// A watch whose time passes when a test says so.
class FakeWindowWatch final : public WindowWatch {
 public:
  void Start(int intervalMs, Look look) override {
    interval = intervalMs;
    look_ = std::move(look);
  }
  void Stop() override { look_ = nullptr; }

  bool Running() const { return static_cast<bool>(look_); }
  // One interval passes.
  // A copy is called, as a look may stop the watch.
  void Tick() {
    if (auto look = look_) look(std::nullopt);
  }
  // The platform reports that `window` was shown.
  void Shown(WindowHandle window) {
    if (auto look = look_) look(window);
  }

  int interval = 0;

 private:
  std::function<void(std::optional<WindowHandle>)> look_;
};

}  // namespace blindfold
