#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace blindfold {

// The longest password either password box takes, in characters. Deriving the
// key of a password costs time in proportion to its length.
inline constexpr std::size_t kPasswordMaxChars = 256;

// What the password dialog shows and answers.
struct LoginForm {
  bool loaded = false;
  bool visible = false;
  bool LoginSucceeded = false;
  std::string txtPassword;
};

// The modal password dialog "Login": "&Password:" masked, "OK" (Enter) and
// "Cancel" (Esc).
class LoginDialogHost {
 public:
  virtual ~LoginDialogHost() = default;

  // Shows the dialog modally for `form`; other events are still dispatched while
  // it waits. Returns once Hide() has been called. The buttons call back with
  // the typed text in form.txtPassword.
  virtual void ShowModal(LoginForm& form, const std::function<void()>& onOk,
                         const std::function<void()>& onCancel) = 0;
  // Hides the dialog; the waiting ShowModal returns.
  virtual void Hide() = 0;
};

}  // namespace blindfold
