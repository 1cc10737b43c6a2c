#include "platform/win32/win32_login_dialog.h"

#include <string>

#include "platform/win32/callback_edge.h"
#include "platform/win32/resource.h"
#include "platform/win32/text_conversion.h"

namespace blindfold::win32 {

void Win32LoginDialog::ShowModal(LoginForm& form, const std::function<void()>& onOk,
                                 const std::function<void()>& onCancel) {
  form_ = &form;
  onOk_ = &onOk;
  onCancel_ = &onCancel;
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LOGIN), OwnerOf(owner_), DialogProc,
                  reinterpret_cast<LPARAM>(this));
  dialog_ = nullptr;
  form_ = nullptr;
}

void Win32LoginDialog::Hide() {
  if (dialog_) EndDialog(dialog_, 0);
}

INT_PTR CALLBACK Win32LoginDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* self = reinterpret_cast<Win32LoginDialog*>(lParam);
    self->dialog_ = dialog;
    SendDlgItemMessageW(dialog, IDC_LOGIN_PASSWORD, EM_LIMITTEXT, kPasswordMaxChars, 0);
    // Asked for by a hotkey, it must come to the front to be typed into.
    SetForegroundWindow(dialog);
    return TRUE;
  }
  auto* self = reinterpret_cast<Win32LoginDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self || !self->form_ || message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK: {
      HWND box = GetDlgItem(dialog, IDC_LOGIN_PASSWORD);
      std::wstring typed(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
      typed.resize(static_cast<std::size_t>(GetWindowTextW(box, typed.data(), static_cast<int>(typed.size()))));
      NarrowInto(typed, self->form_->txtPassword);
      SecureZeroMemory(typed.data(), typed.size() * sizeof(wchar_t));
      SetWindowTextW(box, L"");
      AtTheEdge("the Login dialog's OK", [&] { (*self->onOk_)(); });
      return TRUE;
    }
    case IDCANCEL:
      AtTheEdge("the Login dialog's Cancel", [&] { (*self->onCancel_)(); });
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace blindfold::win32
