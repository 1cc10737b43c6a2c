#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "platform/background.h"

namespace blindfold {

// Runs each job at once, or, when held, only once the test lets it finish, so
// that a test can act while the job is still running.
class FakeBackground final : public Background {
 public:
  void Run(std::function<void()> job, std::function<void()> done) override {
    if (!hold) {
      job();
      done();
      return;
    }
    pending.emplace_back(std::move(job), std::move(done));
  }

  // Finishes every job held so far, in the order they came.
  void Finish() {
    auto jobs = std::exchange(pending, {});
    for (auto& [job, done] : jobs) {
      job();
      done();
    }
  }

  bool hold = false;
  std::vector<std::pair<std::function<void()>, std::function<void()>>> pending;
};

}  // namespace blindfold
