// Blindfold's entry point: wires the real platform to the logic and runs the
// message loop.
#include <windows.h>
#include <commctrl.h>

#include "app/form1.h"
#include "app/startup.h"
#include "platform/win32/panel_dialog.h"
#include "platform/win32/win32_crypto.h"
#include "platform/win32/win32_login_dialog.h"
#include "platform/win32/win32_mixer.h"
#include "platform/win32/win32_hotkey.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_window_manager.h"

using namespace blindfold;
using namespace blindfold::win32;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Claimed before anything else, so that a second start is recognised at once.
  Win32SingleInstance instance;
  Win32Registry registry;
  Win32MessageBoxes messageBoxes;
  SettingsStore store(registry);
  const StartupRoad road = Startup(instance, store, messageBoxes);
  if (road == StartupRoad::SecondInstance) return 0;

  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                      ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_LINK_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  PanelDialog dialog;
  messageBoxes.owner = dialog.Handle();
  Win32Hotkey windowsHotkey(dialog.Handle(), 1);
  Win32Hotkey panicHotkey(dialog.Handle(), 2);
  Win32Hotkey panelHotkey(dialog.Handle(), 3);
  Win32WindowManager windows;
  Win32ProgramFiles files;
  Win32LoginDialog loginDialog;
  Win32Crypto crypto;
  Win32Mixer mixer;
  Form1 form(Platform{windows, registry, dialog, files, panelHotkey, windowsHotkey, panicHotkey, messageBoxes,
                      loginDialog, crypto, mixer});
  dialog.Attach(form, {&windowsHotkey, &panicHotkey, &panelHotkey});

  form.Form_Load();
  dialog.Render();
  // Whatever the load did to the window, the start-hidden setting decides now.
  if (road == StartupRoad::ShowPanel) dialog.SetVisible(true);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (dialog.Handle() && dialog.TranslateDialogMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
