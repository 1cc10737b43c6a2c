#include "platform/win32/panel_render.h"

#include <commctrl.h>

#include <algorithm>
#include <variant>

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

// Writes one model part into its control; false when the model hides it.
struct FieldWriter {
  HWND window;
  ControlKind kind;

  bool operator()(std::monostate) const { return true; }
  bool operator()(const Frame* frame) const {
    SetText(window, frame->caption);
    return frame->visible;
  }
  bool operator()(const Label* label) const {
    SetText(window, kind == ControlKind::Link ? "<a>" + label->caption + "</a>" : label->caption);
    return label->visible;
  }
  bool operator()(const CheckBox* box) const {
    SetCheck(window, box->value == 1 ? BST_CHECKED : box->value == 2 ? BST_INDETERMINATE : BST_UNCHECKED);
    SetEnabled(window, box->enabled);
    return box->visible;
  }
  bool operator()(const OptionButton* button) const {
    SetCheck(window, button->value ? BST_CHECKED : BST_UNCHECKED);
    SetEnabled(window, button->enabled);
    return true;
  }
  bool operator()(const TextBox* box) const {
    SetText(window, box->text);
    MarkReplacedOnEdit(window, box->replacedOnEdit);
    SetEnabled(window, box->enabled);
    return box->visible;
  }
  bool operator()(const Button* button) const {
    SetEnabled(window, button->enabled);
    return button->visible;
  }
  bool operator()(const Slider* slider) const {
    if (SendMessageW(window, TBM_GETPOS, 0, 0) != slider->value) SendMessageW(window, TBM_SETPOS, TRUE, slider->value);
    SetEnabled(window, slider->enabled);
    return true;
  }
  bool operator()(const ListBox* list) const { return list->visible; }
};

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

void PanelRenderer::Render(PanelModel& panel, PanelControls& controls) {
  controls.BuildPage(static_cast<int>(panel.SSTab1));
  SendMessageW(controls.Get(Control::SSTab1), TCM_SETCURSEL, static_cast<WPARAM>(panel.SSTab1), 0);
  RenderList(controls.Get(Control::List1), panel.List1, shownList1_, true);
  RenderList(controls.Get(Control::List2), panel.List2, shownList2_, false);

  // Each control's visibility is decided first and applied after every other
  // change.
  std::vector<std::pair<HWND, bool>> visibility;
  for (const ControlInfo& info : Controls()) {
    HWND window = controls.Get(info.control);
    if (!window) continue;
    const bool modelShows = std::visit(FieldWriter{window, info.kind}, FieldOf(panel, info.control));
    const bool onPage = info.page == kEveryPage || info.page == static_cast<int>(panel.SSTab1);
    visibility.emplace_back(window, modelShows && onPage && !info.neverShown);
  }
  for (const auto& [window, visible] : visibility) {
    const bool onScreen = (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
    if (onScreen != visible) ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
  }
  SetOptionTabStops(panel, controls);
}

// Tab reaches a group of option buttons at its chosen button, or at its first
// while none is chosen.
void PanelRenderer::SetOptionTabStops(PanelModel& panel, PanelControls& controls) {
  for (const std::span<const Control> group : OptionGroups()) {
    const auto chosen = std::find_if(group.begin(), group.end(), [&](Control option) {
      const ModelField field = FieldOf(panel, option);
      auto* const* button = std::get_if<OptionButton*>(&field);
      return button && (*button)->value;
    });
    for (const Control option : group) {
      HWND window = controls.Get(option);
      if (!window) continue;
      const bool stop = option == (chosen == group.end() ? group.front() : *chosen);
      const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
      if (((style & WS_TABSTOP) != 0) != stop) SetWindowLongPtrW(window, GWL_STYLE, style ^ WS_TABSTOP);
    }
  }
}

void PanelRenderer::MarksRead(const std::vector<bool>& marks) {
  for (std::size_t i = 0; i < marks.size() && i < shownList1_.size(); ++i) shownList1_[i].marked = marks[i];
}

// Refills a list box only when its rows changed, without redrawing row by row,
// then brings the marks and the current row in line.
void PanelRenderer::RenderList(HWND box, const ListBox& list, std::vector<ListRow>& shown, bool multiSelect) {
  if (!box) return;
  const auto sameRow = [](const ListRow& a, const ListRow& b) { return a.text == b.text && a.itemData == b.itemData; };
  const bool rowsChanged = !std::equal(shown.begin(), shown.end(), list.Rows().begin(), list.Rows().end(), sameRow);
  if (rowsChanged) {
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
    shown = list.Rows();
    for (ListRow& row : shown) row.marked = false;
    SendMessageW(box, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(WidestRow(box, list)), 0);
    SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, nullptr, TRUE);
  }
  const auto current = list.CurrentRow();
  if (multiSelect) {
    for (std::size_t i = 0; i < shown.size(); ++i) {
      if (shown[i].marked == list.Rows()[i].marked) continue;
      SendMessageW(box, LB_SETSEL, list.Rows()[i].marked, static_cast<LPARAM>(i));
      shown[i].marked = list.Rows()[i].marked;
    }
    if (current) SendMessageW(box, LB_SETCARETINDEX, *current, FALSE);
  } else {
    SendMessageW(box, LB_SETCURSEL, current ? static_cast<WPARAM>(*current) : static_cast<WPARAM>(-1), 0);
  }
}

}  // namespace blindfold::win32
