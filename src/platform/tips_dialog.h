#pragma once

namespace blindfold {

class frmTip;

// Shows the acknowledgments dialog modally, owned by the panel, and feeds its
// "&Next" and "OK" back to it; returns once it is closed.
class TipsDialogHost {
 public:
  virtual ~TipsDialogHost() = default;

  virtual void ShowModal(frmTip& tips) = 0;
};

}  // namespace blindfold
