#include "platform/linux/timer_window_watch.h"

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

void TimerWindowWatch::LookAt(std::optional<WindowHandle> window) {
  if (Watching() && look_) look_(window);
}

}  // namespace blindfold::linux_desktop
