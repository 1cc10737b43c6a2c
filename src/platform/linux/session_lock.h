#pragma once

#include <string>

#include "platform/linux/glib_handles.h"
#include "platform/single_instance.h"

namespace blindfold::linux_desktop {

// The lock file of a session (an X display, or a Wayland socket) in the
// session's runtime folder, locked with flock at construction: the kernel
// lets go of it when the program ends, how ever it ends, so a crash never
// leaves a stale lock behind.
class SessionLock final : public SingleInstance {
 public:
  // `lockFile` empty (no runtime folder): nothing is locked, and no other
  // instance is found.
  explicit SessionLock(const std::string& lockFile);
  bool AnotherInstanceIsRunning() override { return anotherIsRunning_; }

  // The lock file of the session `sessionName` names; empty without a
  // runtime folder.
  static std::string LockFileForSession(const std::string& sessionName);
  // Whether a program holds `lockFile`, without taking it: all a session
  // without an X server offers to tell.
  static bool IsLocked(const std::string& lockFile);

 private:
  UniqueFileDescriptor lock_;
  bool anotherIsRunning_ = false;
};

}  // namespace blindfold::linux_desktop
