#pragma once

#include "platform/autostart.h"

namespace blindfold {

class FakeAutostart final : public Autostart {
 public:
  bool IsOn() override { return on; }
  bool TurnOn() override {
    if (!refuse) on = true;
    return !refuse;
  }
  bool TurnOff() override {
    if (!refuse) on = false;
    return !refuse || !on;
  }

  bool on = false;
  bool refuse = false;  // nothing may be changed, as for a machine-wide entry
};

}  // namespace blindfold
