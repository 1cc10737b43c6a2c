#pragma once

namespace blindfold {

// Whether the program starts when the user logs on, kept where the desktop
// looks for such programs.
class Autostart {
 public:
  virtual ~Autostart() = default;

  virtual bool IsOn() = 0;
  // False when the change could not be kept: turning on stored nothing, or
  // turning off left an entry that would still start the program.
  virtual bool TurnOn() = 0;
  virtual bool TurnOff() = 0;
};

}  // namespace blindfold
