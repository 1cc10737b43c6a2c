#include "app/form1.h"

#include "settings/registry_loader.h"
#include "settings/schema.h"

namespace blindfold {

Form1::Form1(const Platform& platform) : hiding(panel, platform.windows, *this), platform_(platform) {}

void Form1::GetRegistryValues() {
  SettingsStore store(platform_.registry);
  blindfold::GetRegistryValues(store, panel, platform_.files.ProgramFolder());
}

void Form1::CloseLoginDialog() {
  // The password dialog is only ever open inside AskPassword; there is none yet.
}

void Form1::HidePanel() { platform_.panelWindow.SetVisible(false); }

// Just before the desktop window is hidden, the panel becomes for an instant a
// visible borderless window of 1 by 1 twip, so that the shell hands the
// foreground to a window of ours rather than to the desktop being hidden.
void Form1::FlashPanel() {
  PanelWindow& window = platform_.panelWindow;
  window.SetBorderStyle(BorderStyle::None);
  window.SetSizeTwips(1, 1);
  window.SetVisible(true);
  window.SetVisible(false);
  window.SetBorderStyle(BorderStyle::FixedSingle);
  window.SetSizeTwips(kPanelWidthTwips, kPanelHeightTwips);
}

void Form1::MuteSound() {}

void Form1::RestoreSound() {}

// Until the password dialog exists, a stored password keeps the guarded
// operation closed rather than open.
bool Form1::AskPassword() {
  SettingsStore store(platform_.registry);
  const auto key = store.RegRead(kPassword.path);
  return !key || key->empty();
}

}  // namespace blindfold
