#include "platform/win32/panel_controls.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/text_conversion.h"

namespace blindfold::win32 {
namespace {

void SetText(HWND control, const std::string& text) {
  if (control && TextOf(control) != text) SetWindowTextW(control, Widen(text).c_str());
}

void SetCheck(HWND button, UINT state) {
  if (button && SendMessageW(button, BM_GETCHECK, 0, 0) != static_cast<LRESULT>(state)) {
    SendMessageW(button, BM_SETCHECK, state, 0);
  }
}

void SetEnabled(HWND control, bool enabled) {
  if (control && (IsWindowEnabled(control) != FALSE) != enabled) EnableWindow(control, enabled);
}

// How wide the widest row is drawn, in pixels, its columns at the list's tab
// stops: a long title must not push the class out of sight.
int WidestRow(HWND box, const ListBox& list) {
  HDC dc = GetDC(box);
  if (!dc) return 0;
  const HGDIOBJ previousFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
  std::vector<int> stops;
  for (const std::int32_t stop : list.tabStops) {
    RECT units{0, 0, stop, 0};
    MapDialogRect(GetParent(box), &units);
    stops.push_back(units.right);
  }
  int widest = 0;
  for (const ListRow& row : list.Rows()) {
    const std::wstring text = Widen(row.text);
    int x = 0;
    std::size_t column = 0;
    for (std::size_t start = 0; start <= text.size(); ++column) {
      const std::size_t end = std::min(text.find(L'\t', start), text.size());
      if (column > 0) x = column - 1 < stops.size() ? std::max(x, stops[column - 1]) : x + 8;
      SIZE size{};
      GetTextExtentPoint32W(dc, text.data() + start, static_cast<int>(end - start), &size);
      x += size.cx;
      start = end + 1;
    }
    widest = std::max(widest, x);
  }
  SelectObject(dc, previousFont);
  ReleaseDC(box, dc);
  constexpr int kMargin = 8;
  return widest + kMargin;
}

}  // namespace

std::string TextOf(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

void PanelControls::Apply(Control control, const ControlState& state) {
  HWND window = Get(control);
  if (!window) return;
  const ControlKind kind = InfoOf(control).kind;
  if (state.text) SetText(window, kind == ControlKind::Link ? "<a>" + *state.text + "</a>" : *state.text);
  if (state.check) {
    SetCheck(window, state.check == CheckMark::Checked  ? BST_CHECKED
                     : state.check == CheckMark::Grayed ? BST_INDETERMINATE
                                                         : BST_UNCHECKED);
  }
  if (state.value && SendMessageW(window, TBM_GETPOS, 0, 0) != *state.value) {
    SendMessageW(window, TBM_SETPOS, TRUE, *state.value);
  }
  if (kind == ControlKind::TextBox || kind == ControlKind::KeyBox || kind == ControlKind::PasswordBox) {
    MarkReplacedOnEdit(window, state.replacedOnEdit);
  }
  SetEnabled(window, state.enabled);
  if (kind == ControlKind::OptionButton) {
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    if (((style & WS_TABSTOP) != 0) != state.tabStop) SetWindowLongPtrW(window, GWL_STYLE, style ^ WS_TABSTOP);
  }
}

void PanelControls::Show(Control control, bool visible) {
  HWND window = Get(control);
  if (!window) return;
  const bool onScreen = (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
  if (onScreen != visible) ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
}

void PanelControls::SelectPage(PanelPage page) {
  SendMessageW(Get(Control::Pages), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
}

// Without redrawing row by row.
void PanelControls::FillList(Control control, const ListBox& list) {
  HWND box = Get(control);
  if (!box) return;
  SendMessageW(box, WM_SETREDRAW, FALSE, 0);
  SendMessageW(box, LB_RESETCONTENT, 0, 0);
  SendMessageW(box, LB_INITSTORAGE, list.ListCount(), static_cast<LPARAM>(64 * list.ListCount()));
  if (!list.tabStops.empty()) {
    SendMessageW(box, LB_SETTABSTOPS, list.tabStops.size(), reinterpret_cast<LPARAM>(list.tabStops.data()));
  }
  for (const ListRow& row : list.Rows()) {
    const LRESULT index = SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(row.text).c_str()));
    SendMessageW(box, LB_SETITEMDATA, static_cast<WPARAM>(index), row.itemData.Value());
  }
  SendMessageW(box, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(WidestRow(box, list)), 0);
  SendMessageW(box, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(box, nullptr, TRUE);
}

void PanelControls::MarkRow(Control control, std::size_t row, bool marked) {
  if (HWND box = Get(control)) SendMessageW(box, LB_SETSEL, marked, static_cast<LPARAM>(row));
}

// A marked list's current row is its caret; a list with one selected row
// selects it.
void PanelControls::SetCurrentRow(Control control, std::optional<std::size_t> row) {
  HWND box = Get(control);
  if (!box) return;
  if (InfoOf(control).kind == ControlKind::MultiList) {
    if (row) SendMessageW(box, LB_SETCARETINDEX, *row, FALSE);
  } else {
    SendMessageW(box, LB_SETCURSEL, row ? static_cast<WPARAM>(*row) : static_cast<WPARAM>(-1), 0);
  }
}

void PanelControls::SetBusy(bool busy) {
  busy_ = busy;
  EnableWindow(dialog_, busy ? FALSE : TRUE);
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

}  // namespace blindfold::win32
