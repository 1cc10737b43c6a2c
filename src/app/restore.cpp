#include "app/restore.h"

#include "settings/schema.h"
#include "settings/value_text.h"
#include "sound/sound_control.h"

namespace blindfold {
namespace {

// The level the user saved: a show sets the level the panel holds, and no
// panel runs here.
void RestoreSavedSoundLevel(Mixer& mixer, SettingsStore& store) {
  PanelModel panel;
  const auto stored = store.ReadAsSaved(kSoundLevel.path);
  if (const auto level = stored ? ParseWholeNumber(*stored) : std::nullopt) panel.Slider1.TrySetValue(*level);
  SoundControl sound(mixer);
  sound.SoundInit(panel);
  sound.RestoreSound(panel);
}

}  // namespace

bool RestoreRecordedWindows(RecoveryRecord& record, WindowManager& windows, Mixer& mixer, SettingsStore& store,
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
  if (!ours.empty()) RestoreSavedSoundLevel(mixer, store);
  return true;
}

bool RunRestoreCommand(RegistryBackend& registry, WindowManager& windows, Mixer& mixer, LoginDialogHost& loginDialog,
                       Crypto& crypto, Background& background) {
  SettingsStore store(registry);
  RecoveryRecord record(registry, windows);
  PasswordGate gate(loginDialog, registry, crypto, background);
  return RestoreRecordedWindows(record, windows, mixer, store, gate);
}

}  // namespace blindfold
