#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "app/main_window.h"
#include "core/scope_guard.h"
#include "panel/panel_events.h"

namespace blindfold {

// The one way in for events: the panel, the tray icon, the hotkeys, the window
// watch, work finished in the background and the password dialog all reach
// the logic through here, and the panel is drawn from the model after each of
// them, so that no event leaves the panel showing what was.
class Dispatch {
 public:
  explicit Dispatch(std::function<void()> render) : render_(std::move(render)) {}

  // An event that throws has still ended: the next one may start, and the
  // panel shows what the event got done before the exception goes on to the
  // edge of the toolkit's callback.
  void operator()(const std::function<void()>& event) {
    try {
      const auto running = CountWhile(depth_);
      event();
    } catch (...) {
      if (render_) render_();
      throw;
    }
    if (render_) render_();
  }
  // `event`, to be run through this dispatch whenever it is called.
  std::function<void()> Wrap(std::function<void()> event) {
    return [this, event = std::move(event)] { (*this)(event); };
  }

  // Whether an event may start now: none is running, or the one running waits
  // in the password dialog, whose loop takes other events as a hotkey would.
  // Elsewhere an event may be reached only by a platform that delivers one
  // while the logic waits on another program.
  bool MayStartEvent() const { return depth_ == passwordDialogs_; }
  // For as long as the password dialog's loop runs.
  [[nodiscard]] auto PasswordDialogOpen() { return CountWhile(passwordDialogs_); }

 private:
  std::function<void()> render_;
  int depth_ = 0;
  int passwordDialogs_ = 0;
};

// The platform as the logic sees it: the ports that call the logic back do it
// through the dispatch, the others are the platform's own.
class DispatchedPlatform {
 public:
  DispatchedPlatform(const Platform& platform, Dispatch& dispatch);
  ~DispatchedPlatform();
  DispatchedPlatform(const DispatchedPlatform&) = delete;
  DispatchedPlatform& operator=(const DispatchedPlatform&) = delete;

  const Platform& Get() const { return *platform_; }

 private:
  struct Ports;
  std::unique_ptr<Ports> ports_;
  std::optional<Platform> platform_;
};

// What the user does to the panel, through the dispatch.
class DispatchedPanelEvents final : public PanelEvents {
 public:
  DispatchedPanelEvents(PanelEvents& events, Dispatch& dispatch) : events_(events), dispatch_(dispatch) {}

  void Clicked(Control control) override {
    dispatch_([&] { events_.Clicked(control); });
  }
  void TextChanged(Control control, const std::string& text) override {
    dispatch_([&] { events_.TextChanged(control, text); });
  }
  void ValueChanged(Control control, int value) override {
    dispatch_([&] { events_.ValueChanged(control, value); });
  }
  void PageSelected(PanelPage page) override {
    dispatch_([&] { events_.PageSelected(page); });
  }
  void RowsSelected(Control list, const std::vector<bool>& marks, std::optional<std::size_t> current) override {
    dispatch_([&] { events_.RowsSelected(list, marks, current); });
  }
  void RowDoubleClicked(Control list) override {
    dispatch_([&] { events_.RowDoubleClicked(list); });
  }
  bool CloseRequested(CloseReason reason) override {
    bool close = false;
    dispatch_([&] { close = events_.CloseRequested(reason); });
    return close;
  }

 private:
  PanelEvents& events_;
  Dispatch& dispatch_;
};

}  // namespace blindfold
