#pragma once

#include <cstdint>

#include "panel/panel_model.h"
#include "platform/background.h"
#include "platform/crypto.h"
#include "platform/login_dialog.h"
#include "platform/message_box.h"
#include "settings/settings_store.h"

namespace blindfold {

// The one password gate in front of showing the windows, showing the panel and
// shutting down, with the dialog frmLogin it runs.
class PasswordGate {
 public:
  PasswordGate(LoginDialogHost& dialog, RegistryBackend& registry, Crypto& crypto, Background& background)
      : dialog_(dialog), registry_(registry), crypto_(crypto), background_(background) {}

  // True when the user passed. A request that arrives while the dialog already
  // waits for an earlier one does not open a second dialog: it finds no answer
  // yet, closes the dialog and fails, and so does the earlier request.
  bool AskPassword();
  // Closes a waiting dialog; the request waiting on it fails.
  void CloseLoginDialog();

  // The dialog's buttons. OK checks the password off the user-interface thread:
  // the dialog waits for the answer while the hotkeys go on working.
  void cmdOK_Click();
  void cmdCancel_Click();

  const LoginForm& frmLogin() const { return form_; }

 private:
  void Load();
  void HideAndUnload();
  void Admit();

  LoginDialogHost& dialog_;
  RegistryBackend& registry_;
  Crypto& crypto_;
  Background& background_;
  LoginForm form_;
  bool checking_ = false;
  // Which showing of the dialog a check belongs to: the answer of a check whose
  // dialog has gone is not an answer to anything.
  std::uint64_t showing_ = 0;
};

// "Set password": stores the key of the password typed into the panel's box,
// which from then on shows the stored key. A box that still shows the stored key
// is left alone: storing the key of the key would lock the user out. The key is
// derived off the user-interface thread; the panel is busy meanwhile.
void SetPasswordFromPanel(PanelModel& panel, RegistryBackend& registry, Crypto& crypto, Background& background);

// Whether a typed password is short enough for either password box.
bool FitsPasswordBox(std::string_view password);

// At start: a stored key that is neither empty nor well-formed admits no
// password, so with every guard on nothing would get the user out. They are
// told once which value to remove; the guards stay as they are.
void ReportDamagedPasswordKey(RegistryBackend& registry, MessageBoxes& messageBoxes);

// "Lock": every guard on, at once and until the next apply.
void LockEverything(PanelModel& panel);

// Applying the panel offers "Lock" again once any guard is off.
void ReenableLock(PanelModel& panel);

}  // namespace blindfold
