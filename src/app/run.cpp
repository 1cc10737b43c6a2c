#include "app/run.h"

#include <cstdlib>
#include <exception>

#include "app/dispatch.h"
#include "core/log.h"

namespace blindfold {
namespace {

// The running main window, for the last words of a dying program.
MainWindow* mainWindow = nullptr;

}  // namespace

void ShowWindowsBeforeDying() {
  static bool dying = false;
  if (dying || !mainWindow) return;
  dying = true;
  log::Warning("run", "dying: showing the hidden windows first");
  mainWindow->ShowWindowsBeforeDying();
}

int RunFirstInstance(const Platform& platform, FrontEnd& frontEnd, StartupRoad road) {
  Dispatch dispatch([&frontEnd] { frontEnd.Render(); });
  const DispatchedPlatform dispatched(platform, dispatch);
  MainWindow form(dispatched.Get());
  DispatchedPanelEvents panelEvents(form, dispatch);
  mainWindow = &form;
  std::set_terminate([] {
    ShowWindowsBeforeDying();
    std::abort();
  });
  frontEnd.Attach(form.panel, panelEvents);

  dispatch([&] {
    form.Load();
    // Whatever the load did to the window, the start-hidden setting decides
    // now. Windows taken back hidden from a Blindfold that died wait for the
    // windows hotkey and its password; the panel would show them without it.
    if (road == StartupRoad::ShowPanel && !form.hiding.WindowsHidden()) platform.panelWindow.SetVisible(true);
    form.ShowPanelWhenThereIsNoWayIn();
  });
  log::Info("run", "started; panel ", platform.panelWindow.IsVisible() ? "shown" : "hidden");

  frontEnd.RunLoop();
  // A loop ended by anything else (on Windows, a WM_QUIT that any program may
  // post) ends it as our own shut-down does, but only our own shut-down and
  // the end of the session may leave windows hidden.
  if (!form.shuttingDown && !frontEnd.SessionEnded()) {
    ShowWindowsBeforeDying();
    form.Unload();
  }
  log::Info("run", "ended", form.shuttingDown ? " by shut-down" : "",
            frontEnd.SessionEnded() ? " with the session" : "");
  mainWindow = nullptr;
  return 0;
}

}  // namespace blindfold
