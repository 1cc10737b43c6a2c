#pragma once

#include <optional>
#include <string>

#include "platform/linux/session_lock.h"
#include "platform/single_instance.h"
#include "platform/x11/x11_connection.h"

namespace blindfold::x11 {

// This X display's instance: a selection of the display owned by a window of
// this program, and the session's lock file. The X server lets go of the
// selection when the program ends, as the kernel lets go of the lock, and the
// selection still finds another instance where no lock file can be made.
class X11SingleInstance final : public SingleInstance {
 public:
  // `lockFile` empty (no runtime folder): the selection alone.
  X11SingleInstance(const std::string& lockFile, X11Connection& connection);
  bool AnotherInstanceIsRunning() override { return anotherIsRunning_; }

  // Whether a program has claimed `connection`'s display, without claiming it.
  static bool IsClaimed(X11Connection& connection);

 private:
  std::optional<linux_desktop::SessionLock> lock_;
  bool anotherIsRunning_ = false;
};

}  // namespace blindfold::x11
