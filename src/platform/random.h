#pragma once

namespace blindfold {

class RandomSource {
 public:
  virtual ~RandomSource() = default;

  virtual void SeedFromClock() = 0;
  // A number r with 0 <= r < 1.
  virtual float Next() = 0;
};

}  // namespace blindfold
