#pragma once

#include <functional>

#include "info/tips.h"
#include "platform/tips_dialog.h"

namespace blindfold {

// Records each opening; `user` may press the dialog's buttons.
class FakeTipsDialog final : public TipsDialogHost {
 public:
  void ShowModal(frmTip& tips) override {
    ++shown;
    lastText = tips.dialog.lblTipText.caption;
    if (user) user(tips);
  }

  std::function<void(frmTip&)> user;
  int shown = 0;
  std::string lastText;
};

}  // namespace blindfold
