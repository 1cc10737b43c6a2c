#pragma once

#include <functional>

#include "platform/tips_dialog.h"

namespace blindfold {

// Records each opening; `user` may press the dialog's buttons.
class FakeTipsDialog final : public TipsDialogHost {
 public:
  void ShowModal(TipsDialogEvents& dialog) override {
    ++shown;
    lastText = dialog.Content().text;
    if (user) user(dialog);
  }

  std::function<void(TipsDialogEvents&)> user;
  int shown = 0;
  std::string lastText;
};

}  // namespace blindfold
