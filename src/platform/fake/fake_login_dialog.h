#pragma once

#include <functional>
#include <string>

#include "platform/login_dialog.h"

namespace blindfold {

// A password dialog whose user is a script: `user` runs while the dialog is
// shown and may type, press OK or Cancel, or let other events arrive.
class FakeLoginDialog final : public LoginDialogHost {
 public:
  struct Buttons {
    LoginForm& form;
    std::function<void()> ok;
    std::function<void()> cancel;
    void Type(const std::string& text) { form.txtPassword = text; }
  };

  void ShowModal(LoginForm& form, const std::function<void()>& onOk,
                 const std::function<void()>& onCancel) override {
    ++shown;
    Buttons buttons{form, onOk, onCancel};
    if (user) user(buttons);
  }
  void Hide() override { ++hidden; }

  // Answers the dialog by typing `password` and pressing OK.
  void AnswerWith(const std::string& password) {
    user = [password](Buttons& buttons) {
      buttons.Type(password);
      buttons.ok();
    };
  }
  void AnswerCancel() {
    user = [](Buttons& buttons) { buttons.cancel(); };
  }

  std::function<void(Buttons&)> user;
  int shown = 0;
  int hidden = 0;
};

}  // namespace blindfold
