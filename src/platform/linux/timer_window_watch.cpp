#include "platform/linux/timer_window_watch.h"

#include "platform/linux/callback_edge.h"

namespace blindfold::linux_desktop {

TimerWindowWatch::~TimerWindowWatch() {
  if (timer_) g_source_remove(timer_);
}

void TimerWindowWatch::Start(int intervalMs, Look look) {
  Stop();
  look_ = std::move(look);
  timer_ = g_timeout_add(
      static_cast<guint>(intervalMs),
      [](gpointer self) -> gboolean {
        static_cast<TimerWindowWatch*>(self)->LookAt(std::nullopt);
        return G_SOURCE_CONTINUE;
      },
      this);
  Follow();
}

void TimerWindowWatch::Stop() {
  if (!timer_) return;
  g_source_remove(timer_);
  timer_ = 0;
  Unfollow();
  look_ = nullptr;
}

// Called from GLib's sources and the doors' events: the edge of each.
void TimerWindowWatch::LookAt(std::optional<WindowHandle> window) {
  if (Watching() && look_) AtTheEdge("the watch's look", [&] { look_(window); });
}

}  // namespace blindfold::linux_desktop
