#include "app/restore.h"

#include "settings/schema.h"
#include "settings/value_text.h"

namespace blindfold {

bool RestoreRecordedWindows(RecoveryRecord& record, WindowManager& windows, SettingsStore& store,
                            PasswordGate& gate) {
  const std::vector<WindowHandle> ours = WindowsToRecover(windows, record.Load());
  // The stored switch counts too: a Blindfold that was stopped before it could
  // record the guard must not leave its windows to anyone who types a command.
  const auto stored = store.ReadAsSaved(kShowWindowsProtected.path);
  const auto storedState = stored ? ParseWholeNumber(*stored) : std::nullopt;
  const bool guarded = record.Guarded() || (storedState && *storedState != 0);
  if (!ours.empty() && guarded && !gate.AskPassword()) return false;
  // Recorded top first: shown from the bottom up, they stack as they were.
  windows.ShowWindowsAsync(std::vector<WindowHandle>(ours.rbegin(), ours.rend()), kShowCmdShowNoActivate);
  if (!ours.empty()) windows.Activate(ours.front());
  record.Clear();
  return true;
}

bool RunRestoreCommand(RegistryBackend& registry, WindowManager& windows, LoginDialogHost& loginDialog, Crypto& crypto,
                       Background& background) {
  SettingsStore store(registry);
  RecoveryRecord record(registry, windows);
  PasswordGate gate(loginDialog, registry, crypto, background);
  return RestoreRecordedWindows(record, windows, store, gate);
}

}  // namespace blindfold
