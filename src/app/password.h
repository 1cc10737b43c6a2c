#pragma once

#include "panel/panel_model.h"
#include "platform/crypto.h"
#include "platform/login_dialog.h"
#include "settings/settings_store.h"

namespace blindfold {

// The one password gate in front of showing the windows, showing the panel and
// shutting down, with the dialog frmLogin it runs.
class PasswordGate {
 public:
  PasswordGate(LoginDialogHost& dialog, RegistryBackend& registry, Crypto& crypto)
      : dialog_(dialog), registry_(registry), crypto_(crypto) {}

  // True when the user passed. A request that arrives while the dialog already
  // waits for an earlier one does not open a second dialog: it finds no answer
  // yet, closes the dialog and fails, and so does the earlier request.
  bool AskPassword();
  // Closes a waiting dialog; the request waiting on it fails.
  void CloseLoginDialog();

  // The dialog's buttons.
  void cmdOK_Click();
  void cmdCancel_Click();

  const LoginForm& frmLogin() const { return form_; }

 private:
  void Load();
  void HideAndUnload();

  LoginDialogHost& dialog_;
  RegistryBackend& registry_;
  Crypto& crypto_;
  LoginForm form_;
};

// "Set password": stores the key of the password typed into the panel's box,
// which from then on shows the stored key. A box that still shows the stored key
// is left alone: storing the key of the key would lock the user out.
void cmdSetPassword_Click(PanelModel& panel, SettingsStore& store, Crypto& crypto);

// "Lock": every guard on, at once and until the next apply.
void mnuLock_Click(PanelModel& panel);

// Applying the panel offers "Lock" again once any guard is off.
void ReenableLock(PanelModel& panel);

}  // namespace blindfold
