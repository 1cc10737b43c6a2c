#include "platform/win32/page_surface.h"

#include <commctrl.h>

namespace blindfold::win32 {

// The page's area within the tab control, in the dialog's coordinates.
RECT PageSurface::PageRect(HWND dialog, HWND tab) const {
  RECT page{};
  GetClientRect(tab, &page);
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
  MapWindowPoints(tab, dialog, reinterpret_cast<POINT*>(&page), 2);
  return page;
}

// The colour is read off the tab control itself, drawn into one pixel in the
// middle of its page: that holds for every theme, and for none.
HBRUSH PageSurface::Brush(HWND tab, const RECT& pageInTab) {
  if (brush_.Get()) return brush_.Get();
  HDC screen = GetDC(tab);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP pixel = CreateCompatibleBitmap(screen, 1, 1);
  ReleaseDC(tab, screen);
  if (!memory || !pixel) {
    if (memory) DeleteDC(memory);
    if (pixel) DeleteObject(pixel);
    return nullptr;
  }
  HGDIOBJ old = SelectObject(memory, pixel);
  SetViewportOrgEx(memory, -(pageInTab.left + pageInTab.right) / 2, -(pageInTab.top + pageInTab.bottom) / 2,
                   nullptr);
  SendMessageW(tab, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  SetViewportOrgEx(memory, 0, 0, nullptr);
  const COLORREF colour = GetPixel(memory, 0, 0);
  SelectObject(memory, old);
  DeleteObject(pixel);
  DeleteDC(memory);
  if (colour == CLR_INVALID) return nullptr;
  brush_.Reset(CreateSolidBrush(colour));
  return brush_.Get();
}

HBRUSH PageSurface::ControlBackground(HWND dialog, HWND tab, HWND control, HDC dc) {
  if (!tab || control == tab) return nullptr;
  const RECT page = PageRect(dialog, tab);
  RECT where{};
  GetWindowRect(control, &where);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&where), 2);
  const POINT middle{(where.left + where.right) / 2, (where.top + where.bottom) / 2};
  if (!PtInRect(&page, middle)) return nullptr;
  RECT pageInTab = page;
  MapWindowPoints(dialog, tab, reinterpret_cast<POINT*>(&pageInTab), 2);
  HBRUSH brush = Brush(tab, pageInTab);
  if (brush) SetBkMode(dc, TRANSPARENT);
  return brush;
}

void PageSurface::PaintBackground(HWND dialog, HWND tab, HDC dc) {
  RECT all{};
  GetClientRect(dialog, &all);
  FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
  if (!tab || !IsWindowVisible(tab)) return;
  const RECT page = PageRect(dialog, tab);
  RECT pageInTab = page;
  MapWindowPoints(dialog, tab, reinterpret_cast<POINT*>(&pageInTab), 2);
  if (HBRUSH brush = Brush(tab, pageInTab)) FillRect(dc, &page, brush);
}

}  // namespace blindfold::win32
