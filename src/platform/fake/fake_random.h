#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/random.h"

namespace blindfold {

// Gives the scripted numbers first, in order, then numbers from a generator
// with a fixed seed, so that a test run is repeatable.
class FakeRandom final : public RandomSource {
 public:
  void SeedFromClock() override { ++seedCount; }
  float Next() override {
    ++drawCount;
    if (nextScripted_ < script.size()) return script[nextScripted_++];
    // 24 random bits scaled by 2^-24: every value is exact in a float and
    // stays below 1, which a float distribution does not promise everywhere.
    return static_cast<float>(generator_() >> 8) / 16777216.0f;
  }

  std::vector<float> script;
  int seedCount = 0;
  int drawCount = 0;

 private:
  std::size_t nextScripted_ = 0;
  std::mt19937 generator_{20240611u};
};

}  // namespace blindfold
