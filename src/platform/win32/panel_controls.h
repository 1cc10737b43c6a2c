#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <vector>

#include "panel/controls.h"
#include "platform/panel_window.h"
#include "platform/win32/unique_handle.h"

namespace blindfold::win32 {

// The panel's native controls, made from the control table and laid out from
// its design at the window's DPI.
class PanelControls {
 public:
  // Makes the controls of the first page and those every page shows, placed
  // where the design and then `placements` put them.
  PanelControls(HWND dialog, const std::vector<ControlPlacement>& placements);

  // The dialog's id of a control, and the control of an id.
  static int IdOf(Control control);
  static std::optional<Control> ControlOf(int id);

  // The native control, once made.
  HWND Get(Control control) const { return controls_[IndexOf(control)]; }
  // Makes a page's controls the first time it is shown.
  void BuildPage(int page);
  // Places every control from the design, after a change of DPI.
  void Layout();
  // Moves a control within its container, as the load does.
  void Place(const ControlPlacement& placement);
  // Pixels of `twips` at the window's DPI.
  int Px(int twips) const;
 private:
  void Make(const ControlInfo& info, HWND before);
  void Prepare(Control control, HWND window);
  void SendFramesBehind(const std::vector<HWND>& made);
  void MoveToDesign(Control control);
  void PlaceInDesign(const ControlPlacement& placement);

  HWND dialog_;
  std::array<HWND, kControlCount> controls_{};
  std::array<DesignRect, kControlCount> design_{};
  std::array<bool, 5> pagesBuilt_{};
  UniqueHandle<FontTraits> titleFont_;
};

// Whether a text box holds a text that the user may replace but never edit.
void MarkReplacedOnEdit(HWND box, bool replaced);

}  // namespace blindfold::win32
