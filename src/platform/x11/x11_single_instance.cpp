#include "platform/x11/x11_single_instance.h"

namespace blindfold::x11 {
namespace {

constexpr const char* kInstanceSelection = "_BLINDFOLD_INSTANCE";

}  // namespace

bool X11SingleInstance::IsClaimed(X11Connection& connection) {
  return XGetSelectionOwner(connection.Get(), connection.Intern(kInstanceSelection)) != None;
}

X11SingleInstance::X11SingleInstance(const std::string& lockFile, X11Connection& connection) {
  // Asked and claimed with the server held, so that two starts at once
  // cannot both find it free. The owner window lives as long as the
  // connection, which is the program's.
  const Atom selection = connection.Intern(kInstanceSelection);
  XGrabServer(connection.Get());
  if (XGetSelectionOwner(connection.Get(), selection) != None) {
    anotherIsRunning_ = true;
  } else {
    const ::Window owner = XCreateSimpleWindow(connection.Get(), connection.Root(), -1, -1, 1, 1, 0, 0, 0);
    XSetSelectionOwner(connection.Get(), selection, owner, CurrentTime);
  }
  XUngrabServer(connection.Get());
  XFlush(connection.Get());
  if (anotherIsRunning_) return;
  lock_.emplace(lockFile);
  anotherIsRunning_ = lock_->AnotherInstanceIsRunning();
}

}  // namespace blindfold::x11
