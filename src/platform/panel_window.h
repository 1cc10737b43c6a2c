#pragma once

namespace blindfold {

enum class BorderStyle { None = 0, FixedSingle = 1 };

// The control panel's own window: what the logic does to the window as a whole,
// as opposed to its controls, which live in the panel model.
class PanelWindow {
 public:
  virtual ~PanelWindow() = default;

  virtual bool IsVisible() = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetBorderStyle(BorderStyle style) = 0;
  virtual void SetSizeTwips(int width, int height) = 0;
};

}  // namespace blindfold
