#pragma once

#include "app/password.h"
#include "platform/mixer.h"
#include "platform/window_manager.h"
#include "settings/settings_store.h"
#include "windows/recovery.h"

namespace blindfold {

// The rescue command: shows every window in the durable record of hidden
// windows and empties it, whether or not a Blindfold is running. When showing
// them is guarded (as recorded, or by the stored switch) the password is asked
// first. False when the password was not given; nothing is shown then. The
// sound comes back with the windows, as a show brings it back: a Blindfold
// that died while they were hidden may have left it muted.
bool RestoreRecordedWindows(RecoveryRecord& record, WindowManager& windows, Mixer& mixer, SettingsStore& store,
                            PasswordGate& gate);

// The rescue command as a start runs it, on the platform's own store and
// windows, with the password dialog the platform gives it.
bool RunRestoreCommand(RegistryBackend& registry, WindowManager& windows, Mixer& mixer, LoginDialogHost& loginDialog,
                       Crypto& crypto, Background& background);

}  // namespace blindfold
