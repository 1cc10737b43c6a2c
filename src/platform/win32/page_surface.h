#pragma once

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace blindfold::win32 {

// The tab control's page is one surface: the labels, check boxes, frames and
// links on it are painted in the page's own colour, which a themed tab control
// draws lighter than the dialog around it.
class PageSurface {
 public:
  // The brush for `control`'s background (WM_CTLCOLORSTATIC and
  // WM_CTLCOLORBTN), or null where the dialog's own colour is right.
  HBRUSH ControlBackground(HWND dialog, HWND tab, HWND control, HDC dc);
  // Paints the dialog's background with the page in its colour; themed
  // controls ask for it to draw their see-through parts.
  void PaintBackground(HWND dialog, HWND tab, HDC dc);
  // The theme or the size changed: the page's colour is read again.
  void Forget() { brush_.Reset(nullptr); }

 private:
  RECT PageRect(HWND dialog, HWND tab) const;
  HBRUSH Brush(HWND tab, const RECT& pageInTab);

  UniqueHandle<BrushTraits> brush_;
};

}  // namespace blindfold::win32
