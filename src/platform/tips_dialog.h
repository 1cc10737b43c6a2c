#pragma once

#include <string>

namespace blindfold {

// What the acknowledgments dialog shows.
struct TipsDialogContent {
  std::string caption;
  std::string heading;
  std::string text;
};

// The acknowledgments dialog's logic, as the dialog sees it: what to show, and
// its two buttons.
class TipsDialogEvents {
 public:
  virtual ~TipsDialogEvents() = default;

  // Read again after every button.
  virtual TipsDialogContent Content() const = 0;
  // True once the dialog is to close.
  virtual bool Closed() const = 0;
  virtual void NextClicked() = 0;
  // "OK", which also answers Enter and Esc.
  virtual void OkClicked() = 0;
};

// Shows the acknowledgments dialog modally, owned by the panel, and reports
// its buttons; returns once it is closed.
class TipsDialogHost {
 public:
  virtual ~TipsDialogHost() = default;

  virtual void ShowModal(TipsDialogEvents& dialog) = 0;
};

}  // namespace blindfold
