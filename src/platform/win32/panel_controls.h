#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "panel/controls.h"
#include "panel/panel_view.h"
#include "platform/win32/unique_handle.h"

namespace blindfold::win32 {

// The panel's native controls: made as the panel view asks, placed at the
// window's DPI, and showing what the view computed, changing only what
// differs from the screen: every change costs a round of messages.
class PanelControls final : public PanelWidgets {
 public:
  explicit PanelControls(HWND dialog) : dialog_(dialog) {}

  // The dialog's id of a control, and the control of an id.
  static int IdOf(Control control);
  static std::optional<Control> ControlOf(int id);

  // The native control, once made.
  HWND Get(Control control) const { return controls_[IndexOf(control)]; }
  // Pixels of `twips` at the window's DPI.
  int Px(int twips) const;

  void Create(const ControlSpec& spec) override;
  void Move(Control control, const DesignRect& place) override;
  void Apply(Control control, const ControlState& state) override;
  void Show(Control control, bool visible) override;
  void SelectPage(PanelPage page) override;
  void FillList(Control list, const ListBox& rows) override;
  void MarkRow(Control list, std::size_t row, bool marked) override;
  void SetCurrentRow(Control list, std::optional<std::size_t> row) override;
  // Busy, the dialog takes no input and shows the wait cursor.
  void SetBusy(bool busy) override;
  bool Busy() const { return busy_; }

 private:
  void Prepare(const ControlSpec& spec, HWND window);

  HWND dialog_;
  std::array<HWND, kControlCount> controls_{};
  UniqueHandle<FontTraits> titleFont_;
  bool busy_ = false;
};

// Whether a text box holds a text that the user may replace but never edit.
void MarkReplacedOnEdit(HWND box, bool replaced);

// Reads a control's text.
std::string TextOf(HWND control);

}  // namespace blindfold::win32
