#pragma once

#include "app/main_window.h"
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
    return Platform{
        .windows = windows,
        .registry = registry,
        .panelWindow = panelWindow,
        .files = files,
        .hotkeys = PerHotkey<HotkeyControl*>({&panelHotkey, &windowsHotkey, &panicHotkey}),
        .messageBoxes = messageBoxes,
        .loginDialog = loginDialog,
        .crypto = crypto,
        .mixer = mixer,
        .notificationArea = tray,
        .popupMenu = tray,
        .fileDialog = tray,
        .shell = shell,
        .random = random,
        .tipsDialog = tipsDialog,
        .windowWatch = windowWatch,
        .background = background,
        .autostart = autostart,
        .commands = commands,
    };
  }
};

}  // namespace blindfold
