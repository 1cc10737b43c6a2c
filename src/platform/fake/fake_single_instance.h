#pragma once

#include "platform/single_instance.h"

namespace blindfold {

class FakeSingleInstance final : public SingleInstance {
 public:
  bool AnotherInstanceIsRunning() override { return anotherIsRunning; }

  bool anotherIsRunning = false;
};

}  // namespace blindfold
