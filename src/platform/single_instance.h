#pragma once

namespace blindfold {

// Tells a first start of the program from a second one in the same session.
// The first instance claims its mark when asked and keeps it until it ends.
class SingleInstance {
 public:
  virtual ~SingleInstance() = default;

  virtual bool AnotherInstanceIsRunning() = 0;
};

}  // namespace blindfold
