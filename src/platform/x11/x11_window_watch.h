#pragma once

#include <glib.h>

#include "platform/linux/timer_window_watch.h"
#include "platform/x11/x11_connection.h"

namespace blindfold::x11 {

// Follows the windows being taken on by the window manager (the root's
// substructure and its client list) as it happens, and looks at them all on a
// GLib timer besides: a window its program maps again under a window manager
// that is slow to take it on is still found within an interval.
class X11WindowWatch final : public linux_desktop::TimerWindowWatch {
 public:
  explicit X11WindowWatch(X11Connection& connection) : x_(connection) {}
  ~X11WindowWatch() override { Stop(); }

 private:
  void Follow() override;
  void Unfollow() override;
  void OnEvent(const XEvent& event);

  X11Connection& x_;
  int listener_ = 0;
  guint fullLook_ = 0;  // the GLib idle source, 0 for none
};

// Serves the X connection's events (the hotkeys, the watch) from the GLib
// main loop, including those Xlib has already read into its queue, which
// leave nothing on the socket to wake a poll.
class XEventSource {
 public:
  explicit XEventSource(X11Connection& connection);
  XEventSource(const XEventSource&) = delete;
  XEventSource& operator=(const XEventSource&) = delete;
  ~XEventSource();

  struct Source;  // the GSource, with what it serves

 private:
  Source* source_ = nullptr;
};

}  // namespace blindfold::x11
