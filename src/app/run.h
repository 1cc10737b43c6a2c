#pragma once

#include "app/main_window.h"
#include "app/startup.h"
#include "panel/panel_events.h"

namespace blindfold {

// What the run needs of a front end beyond the ports: its panel and its loop.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // Takes the model to draw and where to report what the user does to it.
  virtual void Attach(PanelModel& panel, PanelEvents& events) = 0;
  // Draws the panel from the model.
  virtual void Render() = 0;
  // Runs the event loop until the main window has gone, or something else
  // ended the loop.
  virtual void RunLoop() = 0;
  // Whether the main window went with the end of the user's session.
  virtual bool SessionEnded() = 0;
};

// A first instance's run, the same on every platform: the main window loaded
// on the dispatched platform, the panel shown when the start asks for it, the
// loop, and an end that leaves windows hidden only for our own shut-down or
// the end of the session. While it runs, a crash shows the hidden windows
// first (see ShowWindowsBeforeDying). Returns the program's exit code.
int RunFirstInstance(const Platform& platform, FrontEnd& frontEnd, StartupRoad road);

// For the platform's own last words (an unhandled exception, a signal): shows
// the windows the running Blindfold hid, once, unless showing them needs the
// password. Does nothing outside RunFirstInstance.
void ShowWindowsBeforeDying();

}  // namespace blindfold
