#pragma once

#include <windows.h>

#include "platform/login_dialog.h"
#include "platform/win32/owner_window.h"

namespace blindfold::win32 {

// "Login": a modal dialog of the resources. While it waits, the thread's other
// messages (hotkeys among them) are still dispatched.
class Win32LoginDialog final : public LoginDialogHost {
 public:
  // Owned by the panel, which it keeps from being used while it waits.
  explicit Win32LoginDialog(OwnerWindow owner) : owner_(std::move(owner)) {}

  void ShowModal(LoginForm& form, const std::function<void()>& onOk, const std::function<void()>& onCancel) override;
  void Hide() override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  OwnerWindow owner_;
  HWND dialog_ = nullptr;
  LoginForm* form_ = nullptr;
  const std::function<void()>* onOk_ = nullptr;
  const std::function<void()>* onCancel_ = nullptr;
};

}  // namespace blindfold::win32
