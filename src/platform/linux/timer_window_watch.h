#pragma once

#include <glib.h>

#include <optional>

#include "platform/window_watch.h"

namespace blindfold::linux_desktop {

// The watch every Linux door keeps: a look at all windows on a GLib timer,
// and a look at each window the door's own events name as they come (a
// window taken on, focused, moved: each may be one coming back). A door says
// how it follows its events; a window its events miss is still found within
// an interval.
class TimerWindowWatch : public WindowWatch {
 public:
  TimerWindowWatch() = default;
  TimerWindowWatch(const TimerWindowWatch&) = delete;
  TimerWindowWatch& operator=(const TimerWindowWatch&) = delete;
  // A door's watch calls Stop() in its own destructor, while it can still
  // stop following its events.
  ~TimerWindowWatch() override;

  void Start(int intervalMs, Look look) final;
  void Stop() final;

 protected:
  // Begins and ends following the door's events, which call LookAt.
  virtual void Follow() = 0;
  virtual void Unfollow() = 0;
  // Looks at `window` now, or at every window (nothing); only while watching.
  void LookAt(std::optional<WindowHandle> window);
  bool Watching() const { return timer_ != 0; }

 private:
  guint timer_ = 0;
  Look look_;
};

}  // namespace blindfold::linux_desktop
