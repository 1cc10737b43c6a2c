#include "app/password.h"

#include <memory>

#include "app/password_key.h"
#include "core/texts.h"
#include "settings/schema.h"

namespace blindfold {
namespace {

static_assert(kPasswordMaxChars == 256, "the Settings page and its status name this limit");

// What a derivation off the user-interface thread works on: its own copy of
// the password, wiped as soon as the key is made.
struct Derivation {
  std::string password;
  std::string storedKey;
  bool matches = false;
  std::optional<std::string> newKey;
};

}  // namespace

bool FitsPasswordBox(std::string_view password) {
  // Counted in characters, as the boxes count them: every byte but a UTF-8
  // continuation byte starts one.
  std::size_t characters = 0;
  for (const char c : password) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return characters <= kPasswordMaxChars;
}

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
  if (checking_ || !form_.visible) return;
  SettingsStore store(registry_);
  // A key that was never stored counts as no password.
  const std::string storedKey = store.ReadAsSaved(kPassword.path).value_or("");
  if (storedKey.empty()) {
    WipeText(form_.txtPassword);
    return Admit();
  }
  if (!FitsPasswordBox(form_.txtPassword)) {
    WipeText(form_.txtPassword);
    return HideAndUnload();
  }
  auto check = std::make_shared<Derivation>();
  check->password = form_.txtPassword;
  check->storedKey = storedKey;
  WipeText(form_.txtPassword);
  checking_ = true;
  background_.Run(
      [check, &crypto = crypto_] {
        check->matches = PasswordMatchesKey(crypto, check->password, check->storedKey);
        WipeText(check->password);
      },
      [this, check, showing = showing_] {
        if (showing != showing_) return;
        checking_ = false;
        if (check->matches) return Admit();
        HideAndUnload();
      });
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

void PasswordGate::Admit() {
  form_.LoginSucceeded = true;
  form_.visible = false;
  dialog_.Hide();
}

void PasswordGate::HideAndUnload() {
  if (form_.visible) dialog_.Hide();
  WipeText(form_.txtPassword);
  form_ = LoginForm{};
  checking_ = false;
  ++showing_;
}

void SetPasswordFromPanel(PanelModel& panel, RegistryBackend& registry, Crypto& crypto, Background& background) {
  if (panel.busy) return;
  SettingsStore store(registry);
  if (const auto stored = store.ReadAsSaved(kPasswordReadPath); stored && *stored == panel.txtPassword.text) return;
  if (!FitsPasswordBox(panel.txtPassword.text)) {
    WipeText(panel.txtPassword.text);
    panel.lblPasswordStatus.caption = texts::kPasswordTooLong;
    return;
  }
  const auto showStoredKey = [&panel, &registry](std::string_view outcome) {
    SettingsStore reread(registry);
    if (auto stored = reread.ReadAsSaved(kPasswordReadPath)) panel.txtPassword.HoldStored(std::move(*stored));
    panel.lblPasswordStatus.caption = outcome;
  };
  // An empty box removes the password rather than storing the key of nothing.
  if (panel.txtPassword.text.empty()) {
    const bool removed = store.RegWrite(kPassword.path, "");
    return showStoredKey(removed ? texts::kPasswordRemoved : texts::kPasswordNotSet);
  }
  auto derivation = std::make_shared<Derivation>();
  derivation->password = panel.txtPassword.text;
  WipeText(panel.txtPassword.text);
  panel.busy = true;
  panel.lblPasswordStatus.caption = texts::kPasswordBeingSet;
  background.Run(
      [derivation, &crypto] {
        derivation->newKey = MakePasswordKey(crypto, derivation->password);
        WipeText(derivation->password);
      },
      [derivation, &panel, &registry, showStoredKey] {
        panel.busy = false;
        SettingsStore later(registry);
        const bool set = derivation->newKey && later.RegWrite(kPassword.path, *derivation->newKey);
        showStoredKey(set ? texts::kPasswordSet : texts::kPasswordNotSet);
      });
}

void ReportDamagedPasswordKey(RegistryBackend& registry, MessageBoxes& messageBoxes) {
  auto where = ParseValuePath(kPassword.path);
  if (!where) return;
  // The per-user value wins where both are stored, so it is the one to name.
  RegistryLocation perUser = *where;
  perUser.root = RegistryRoot::CurrentUser;
  auto stored = registry.ReadValue(perUser);
  if (stored) {
    where = perUser;
  } else {
    stored = registry.ReadValue(*where);
  }
  if (!stored || stored->empty() || IsWellFormedPasswordKey(*stored)) return;
  messageBoxes.Show(texts::DamagedPasswordWhere(registry.HowToDeleteByHand(*where)),
                    std::string(texts::kProgramName), MessageBoxStyle::WarningOk);
}

void LockEverything(PanelModel& panel) {
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
