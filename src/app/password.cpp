#include "app/password.h"

#include "app/password_key.h"
#include "settings/schema.h"

namespace blindfold {
bool PasswordGate::AskPassword() {
  if (!form_.visible) {
    Load();
    form_.visible = true;
    dialog_.ShowModal(form_, [this] { cmdOK_Click(); }, [this] { cmdCancel_Click(); });
  }
  const bool passed = form_.LoginSucceeded;
  HideAndUnload();
  return passed;
}

void PasswordGate::CloseLoginDialog() {
  if (form_.loaded) HideAndUnload();
}

void PasswordGate::cmdOK_Click() {
  SettingsStore store(registry_);
  // A key that was never stored counts as no password.
  const std::string storedKey = store.ReadAsSaved(kPassword.path).value_or("");
  const bool accepted = storedKey.empty() || PasswordMatchesKey(crypto_, form_.txtPassword, storedKey);
  WipeText(form_.txtPassword);
  if (!accepted) {
    HideAndUnload();
    return;
  }
  form_.LoginSucceeded = true;
  form_.visible = false;
  dialog_.Hide();
}

void PasswordGate::cmdCancel_Click() {
  WipeText(form_.txtPassword);
  form_.LoginSucceeded = false;
  form_.visible = false;
  dialog_.Hide();
}

void PasswordGate::Load() {
  form_.loaded = true;
  form_.LoginSucceeded = false;
  WipeText(form_.txtPassword);
}

void PasswordGate::HideAndUnload() {
  if (form_.visible) dialog_.Hide();
  WipeText(form_.txtPassword);
  form_ = LoginForm{};
}

void cmdSetPassword_Click(PanelModel& panel, SettingsStore& store, Crypto& crypto) {
  if (const auto stored = store.ReadAsSaved(kPasswordReadPath); stored && *stored == panel.txtPassword.text) return;
  // An empty box removes the password rather than storing the key of nothing.
  const auto key = panel.txtPassword.text.empty() ? std::optional<std::string>("")
                                                  : MakePasswordKey(crypto, panel.txtPassword.text);
  WipeText(panel.txtPassword.text);
  if (key) store.RegWrite(kPassword.path, *key);
  if (const auto stored = store.ReadAsSaved(kPasswordReadPath)) panel.txtPassword.text = *stored;
}

void mnuLock_Click(PanelModel& panel) {
  panel.chkShowWindows.value = 1;
  panel.chkShowBlindfold.value = 1;
  panel.chkShutdownBlindfold.value = 1;
  panel.mnuLock.enabled = false;
}

void ReenableLock(PanelModel& panel) {
  if (panel.chkShowWindows.value == 0 || panel.chkShutdownBlindfold.value == 0 || panel.chkShowBlindfold.value == 0) {
    panel.mnuLock.enabled = true;
  }
}

}  // namespace blindfold
