#pragma once

#include "app/form1.h"
#include "platform/fake/fake_background.h"
#include "platform/fake/fake_command_inbox.h"
#include "platform/fake/fake_crypto.h"
#include "platform/fake/fake_hotkey.h"
#include "platform/fake/fake_login_dialog.h"
#include "platform/fake/fake_message_boxes.h"
#include "platform/fake/fake_mixer.h"
#include "platform/fake/fake_panel_window.h"
#include "platform/fake/fake_program_files.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_random.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_tips_dialog.h"
#include "platform/fake/fake_autostart.h"
#include "platform/fake/fake_tray.h"
#include "platform/fake/fake_window_manager.h"
#include "platform/fake/fake_window_watch.h"

namespace blindfold {

// Every fake the main window needs, wired into one Platform.
struct FakePlatform {
  FakeWindowManager windows;
  FakeRegistry registry;
  FakePanelWindow panelWindow;
  FakeProgramFiles files;
  FakeHotkey panelHotkey;
  FakeHotkey windowsHotkey;
  FakeHotkey panicHotkey;
  FakeMessageBoxes messageBoxes;
  FakeLoginDialog loginDialog;
  FakeCrypto crypto;
  FakeMixer mixer;
  FakeTray tray;
  FakeShell shell;
  FakeRandom random;
  FakeTipsDialog tipsDialog;
  FakeWindowWatch windowWatch;
  FakeBackground background;
  FakeAutostart autostart;
  FakeCommandInbox commands;

  Platform Get() {
    return Platform{windows,     registry, panelWindow, files,  panelHotkey, windowsHotkey, panicHotkey,
                    messageBoxes, loginDialog, crypto, mixer, tray, tray, tray,
                    shell,       random,   tipsDialog,  windowWatch, background,    autostart, commands};
  }
};

}  // namespace blindfold
