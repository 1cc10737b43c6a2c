#include "platform/win32/panel_dialog.h"

#include <commctrl.h>

#include <array>
#include <map>
#include <utility>

#include "platform/win32/dialog_template.h"
#include "platform/win32/handle_conversion.h"
#include "platform/win32/resource.h"
#include "platform/win32/text_conversion.h"
#include "tray/tray_gestures.h"
#include "windows/always_hide.h"
#include "windows/window_list.h"

namespace blindfold::win32 {
namespace {

constexpr PanelDialog::ControlLayout kDesign[] = {
#include "platform/win32/panel_layout.inc"
};

// Controls the panel carries but never shows.
constexpr std::array kNeverShown = {IDC_frmDecoy,  IDC_txtDecoy,       IDC_cmdBrowseIcon,
                                    IDC_cmdUpdates, IDC_cmdVisitForums, IDC_cmdSysInfo};

constexpr std::array<const wchar_t*, 5> kPageCaptions = {L"Open windows", L"Hotkeys", L"Settings", L"Stealth",
                                                         L"About"};

constexpr std::array kCheck2Ids = {IDC_Check2_0, IDC_Check2_1, IDC_Check2_2,  IDC_Check2_3,
                                   IDC_Check2_4, IDC_Check2_5, IDC_Check2_6,  IDC_Check2_7,
                                   IDC_Check2_8, IDC_Check2_9, IDC_Check2_10, IDC_Check2_11};
constexpr int Check2Id(std::size_t index) { return kCheck2Ids[index]; }
constexpr int OptTrayMenuId(std::size_t index) { return IDC_optTrayMenu_0 + static_cast<int>(index); }
constexpr int OptTrayHideId(std::size_t index) { return IDC_optTrayHideWindows_0 + static_cast<int>(index); }
constexpr std::array kHotkeyStatusIds = {IDC_lblHotkeyStatus0, IDC_lblHotkeyStatus1, IDC_lblHotkeyStatus2};

// Where the load may move a control: its id and the origin of its container in
// the client area, in twips.
struct PlaceableControl {
  std::string_view name;
  int id;
  int containerLeft;
  int containerTop;
};
constexpr int kTabLeft = 60, kTabTop = 60;
constexpr int kWindowListLeft = kTabLeft + 120, kWindowListTop = kTabTop + 360;
constexpr std::array<PlaceableControl, 7> kPlaceable = {{
    {"List1", IDC_List1, kWindowListLeft, kWindowListTop},
    {"frmWindowList", IDC_frmWindowList, kTabLeft, kTabTop},
    {"Label1", IDC_Label1, kWindowListLeft, kWindowListTop},
    {"Label7", IDC_Label7, kWindowListLeft, kWindowListTop},
    {"frameAlwaysHide", IDC_frameAlwaysHide, kTabLeft, kTabTop},
    {"chkTaskbar", IDC_chkTaskbar, kWindowListLeft, kWindowListTop},
    {"chkProgramManager", IDC_chkProgramManager, kWindowListLeft, kWindowListTop},
}};

}  // namespace

PanelDialog::PanelDialog() : layout_(std::begin(kDesign), std::end(kDesign)) {
  dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FORM1), nullptr, DialogProc,
                               reinterpret_cast<LPARAM>(this));
  if (!dialog_) return;
  EnumChildWindows(
      dialog_,
      [](HWND control, LPARAM self) {
        reinterpret_cast<PanelDialog*>(self)->controls_[GetDlgCtrlID(control)] = control;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(this));
  framedStyle_ = GetWindowLongPtrW(dialog_, GWL_STYLE);
  // Sent to every top-level window when the shell (re)starts.
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  if (HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_BLINDFOLD))) {
    SendMessageW(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  HWND tab = Control(IDC_SSTab1);
  for (std::size_t i = 0; i < kPageCaptions.size(); ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(kPageCaptions[i]);
    SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  std::vector<HWND> made;
  for (const ControlLayout& control : layout_) {
    if (HWND window = Control(control.id)) made.push_back(window);
  }
  SendFramesBehind(made);
  SetSizeTwips(Form1::kPanelWidthTwips, Form1::kPanelHeightTwips);
  Layout();
  pagesBuilt_[0] = true;
}

// The pages' frames and the tab control lie behind the controls they hold.
void PanelDialog::SendFramesBehind(const std::vector<HWND>& controls) {
  for (HWND control : controls) {
    wchar_t className[16] = {};
    GetClassNameW(control, className, 16);
    const bool groupBox = (GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX &&
                          _wcsicmp(className, L"Button") == 0;
    if (groupBox) SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  SetWindowPos(Control(IDC_SSTab1), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// A page other than the first gets its controls the first time it is shown:
// most users never open most pages, and every control costs start-up time.
// They are made from the page's template as the dialog manager would make them,
// placed from the design, and take their place in the tab order ahead of the
// controls that every page shows, as if they had been in the panel's template.
void PanelDialog::BuildPage(int page) {
  if (page < 0 || page >= static_cast<int>(pagesBuilt_.size()) || pagesBuilt_[static_cast<std::size_t>(page)]) {
    return;
  }
  pagesBuilt_[static_cast<std::size_t>(page)] = true;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(IDD_PAGE1 + page - 1), RT_DIALOG);
  const HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  const auto* data = loaded ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
  if (!data) return;
  const auto font = static_cast<WPARAM>(SendMessageW(dialog_, WM_GETFONT, 0, 0));
  HWND before = Control(IDC_cmdOK);
  std::vector<HWND> made;
  for (const DialogTemplateControl& item : ReadDialogTemplate({data, SizeofResource(instance, found)})) {
    const ControlLayout* layout = LayoutOf(item.id);
    if (!layout) continue;
    HWND control = CreateWindowExW(item.exStyle | WS_EX_NOPARENTNOTIFY, item.className.c_str(), item.title.c_str(),
                                   item.style, Px(layout->left), Px(layout->top), Px(layout->width),
                                   Px(layout->height), dialog_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), instance, nullptr);
    if (!control) continue;
    SendMessageW(control, WM_SETFONT, font, FALSE);
    if (HWND above = before ? GetWindow(before, GW_HWNDPREV) : nullptr) {
      SetWindowPos(control, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    controls_[item.id] = control;
    made.push_back(control);
    Prepare(item.id, control, font);
  }
  SendFramesBehind(made);
}

// What a few controls need beyond their template.
void PanelDialog::Prepare(int id, HWND control, WPARAM font) {
  if (id == IDC_Slider1) {
    SendMessageW(control, TBM_SETRANGE, TRUE, MAKELPARAM(Slider::kMin, Slider::kMax));
    SendMessageW(control, TBM_SETTICFREQ, 10, 0);
  } else if (id == IDC_Label5) {
    // The product name on the About page, in large type.
    LOGFONTW large{};
    GetObjectW(reinterpret_cast<HFONT>(font), sizeof large, &large);
    large.lfHeight = large.lfHeight * 5 / 2;
    large.lfWeight = FW_BOLD;
    titleFont_.Reset(CreateFontIndirectW(&large));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.Get()), FALSE);
  }
}

HWND PanelDialog::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

PanelDialog::~PanelDialog() {
  if (dialog_) DestroyWindow(dialog_);
}

void PanelDialog::Attach(Form1& form, std::vector<Win32Hotkey*> hotkeys) {
  form_ = &form;
  hotkeys_ = std::move(hotkeys);
  Render();
}

int PanelDialog::Px(int twips) const {
  const UINT dpi = GetDpiForWindow(dialog_);
  return MulDiv(twips, dpi ? static_cast<int>(dpi) : USER_DEFAULT_SCREEN_DPI, 1440);
}

void PanelDialog::Layout() {
  for (const ControlLayout& control : layout_) Place(control);
}

// Moves a control to where the design puts it; one whose page has not been
// shown yet is placed when it is made.
void PanelDialog::Place(const ControlLayout& control) {
  HWND window = Control(control.id);
  if (!window) return;
  SetWindowPos(window, nullptr, Px(control.left), Px(control.top), Px(control.width), Px(control.height),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

const PanelDialog::ControlLayout* PanelDialog::LayoutOf(int id) const {
  for (const ControlLayout& control : layout_) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

bool PanelDialog::Shown(int id, bool modelVisible) const {
  for (const int hidden : kNeverShown) {
    if (id == hidden) return false;
  }
  const int page = form_ ? static_cast<int>(form_->panel.SSTab1) : 0;
  const ControlLayout* control = LayoutOf(id);
  return modelVisible && (!control || control->page == -1 || control->page == page);
}

void PanelDialog::SetText(int id, const std::string& text) {
  HWND control = Control(id);
  if (control && GetText(id) != text) SetWindowTextW(control, Widen(text).c_str());
}

void PanelDialog::SetCheck(int id, UINT state) {
  HWND button = Control(id);
  if (button && SendMessageW(button, BM_GETCHECK, 0, 0) != static_cast<LRESULT>(state)) {
    SendMessageW(button, BM_SETCHECK, state, 0);
  }
}

void PanelDialog::SetEnabled(int id, bool enabled) {
  HWND control = Control(id);
  if (control && (IsWindowEnabled(control) != FALSE) != enabled) EnableWindow(control, enabled);
}

std::string PanelDialog::GetText(int id) const {
  HWND control = Control(id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

void PanelDialog::Render() {
  if (!form_) return;
  rendering_ = true;
  PanelModel& panel = form_->panel;

  // Each control's visibility is decided first and applied once at the end,
  // and only what differs from the screen is changed: every change costs a
  // round of messages, and a control hidden and shown again would flicker.
  std::map<int, bool> shown;
  const auto show = [&](int id, bool visible) { shown[id] = Shown(id, visible); };
  const auto check = [&](int id, const CheckBox& box) {
    SetCheck(id, box.value == 1 ? BST_CHECKED : box.value == 2 ? BST_INDETERMINATE : BST_UNCHECKED);
    SetEnabled(id, box.enabled);
    show(id, box.visible);
  };
  const auto text = [&](int id, const TextBox& box) {
    SetText(id, box.text);
    SetEnabled(id, box.enabled);
    show(id, box.visible);
  };
  const auto caption = [&](int id, const std::string& value, bool visible) {
    SetText(id, value);
    show(id, visible);
  };
  const auto option = [&](int id, const OptionButton& button) {
    SetCheck(id, button.value ? BST_CHECKED : BST_UNCHECKED);
    SetEnabled(id, button.enabled);
  };

  BuildPage(static_cast<int>(panel.SSTab1));
  SendMessageW(Control(IDC_SSTab1), TCM_SETCURSEL, static_cast<WPARAM>(panel.SSTab1), 0);
  for (const ControlLayout& control : layout_) show(control.id, true);

  caption(IDC_frmWindowList, panel.frmWindowList.caption, panel.frmWindowList.visible);
  caption(IDC_frameAlwaysHide, panel.frameAlwaysHide.caption, panel.frameAlwaysHide.visible);
  RenderList(IDC_List1, panel.List1, shownList1_, true);
  RenderList(IDC_List2, panel.List2, shownList2_, false);
  show(IDC_List2, panel.List2.visible);
  check(IDC_chkTaskbar, panel.chkTaskbar);
  check(IDC_chkProgramManager, panel.chkProgramManager);

  for (std::size_t i = 0; i < panel.Check2.size(); ++i) check(Check2Id(i), panel.Check2[i]);
  text(IDC_txtBlindfoldShortcutKey, panel.txtBlindfoldShortcutKey);
  text(IDC_txtWindowsShortcutKey, panel.txtWindowsShortcutKey);
  text(IDC_txtPanicShortcutKey, panel.txtPanicShortcutKey);
  for (std::size_t h = 0; h < kHotkeyStatusIds.size(); ++h) {
    caption(kHotkeyStatusIds[h], panel.lblHotkeyStatus[h].caption, panel.lblHotkeyStatus[h].visible);
  }

  text(IDC_txtPassword, panel.txtPassword);
  check(IDC_chkShowBlindfold, panel.chkShowBlindfold);
  check(IDC_chkShowWindows, panel.chkShowWindows);
  check(IDC_chkShutdownBlindfold, panel.chkShutdownBlindfold);
  check(IDC_chkMute, panel.chkMute);
  SendMessageW(Control(IDC_Slider1), TBM_SETPOS, TRUE, panel.Slider1.value);
  SetEnabled(IDC_Slider1, panel.Slider1.enabled);
  caption(IDC_lblSoundInfo, panel.lblSoundInfo.caption, panel.lblSoundInfo.visible);
  check(IDC_chkStartHidden, panel.chkStartHidden);
  check(IDC_chkStartWithWindows, panel.chkStartWithWindows);
  text(IDC_txtDecoy, panel.txtDecoy);

  check(IDC_chkDisplayIcon, panel.chkDisplayIcon);
  text(IDC_txtTrayIcon, panel.txtTrayIcon);
  text(IDC_txtTrayIconTip, panel.txtTrayIconTip);
  for (std::size_t i = 0; i < panel.optTrayMenu.size(); ++i) {
    option(OptTrayMenuId(i), panel.optTrayMenu[i]);
    option(OptTrayHideId(i), panel.optTrayHideWindows[i]);
  }

  caption(IDC_lblVersion, panel.lblVersion.caption, panel.lblVersion.visible);
  caption(IDC_Label3, "<a>" + panel.Label3.caption + "</a>", panel.Label3.visible);
  show(IDC_cmdShutdown, panel.cmdShutdown.visible);

  for (const auto& [id, visible] : shown) {
    HWND control = Control(id);
    if (!control) continue;
    const bool onScreen = (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
    if (onScreen != visible) ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
  }
  rendering_ = false;
}

// Refills a list box only when its rows changed, without redrawing row by row,
// then brings the marks and the current row in line.
void PanelDialog::RenderList(int id, const ListBox& list, std::vector<ListRow>& shown, bool multiSelect) {
  HWND box = Control(id);
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
      SendMessageW(box, LB_SETITEMDATA, static_cast<WPARAM>(index), row.itemData);
    }
    shown = list.Rows();
    for (ListRow& row : shown) row.marked = false;
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

void PanelDialog::ReadListMarks() {
  PanelModel& panel = form_->panel;
  HWND box = Control(IDC_List1);
  for (std::size_t i = 0; i < panel.List1.ListCount() && i < shownList1_.size(); ++i) {
    const bool marked = SendMessageW(box, LB_GETSEL, i, 0) > 0;
    panel.List1.Row(i).marked = marked;
    shownList1_[i].marked = marked;
  }
  const LRESULT caret = SendMessageW(box, LB_GETCARETINDEX, 0, 0);
  panel.List1.SetCurrentRow(caret >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(caret)) : std::nullopt);
}

void PanelDialog::OnCommand(int id, int code, HWND control) {
  if (!form_ || rendering_) return;
  PanelModel& panel = form_->panel;

  if (code == BN_CLICKED) {
    for (std::size_t i = 0; i < panel.optTrayMenu.size(); ++i) {
      if (id == OptTrayMenuId(i)) return Dispatch([i](Form1& form) { optTrayMenu_Click(form.panel, i); });
      if (id == OptTrayHideId(i)) return Dispatch([i](Form1& form) { optTrayHideWindows_Click(form.panel, i); });
    }
    const auto toggle = [&](CheckBox& box) {
      box.value = box.value == 1 ? 0 : 1;
      Render();
    };
    for (std::size_t i = 0; i < panel.Check2.size(); ++i) {
      if (id == Check2Id(i)) return toggle(panel.Check2[i]);
    }
    switch (id) {
      case IDC_chkTaskbar: return toggle(panel.chkTaskbar);
      case IDC_chkProgramManager: return toggle(panel.chkProgramManager);
      case IDC_chkShowBlindfold: return toggle(panel.chkShowBlindfold);
      case IDC_chkShowWindows: return toggle(panel.chkShowWindows);
      case IDC_chkShutdownBlindfold: return toggle(panel.chkShutdownBlindfold);
      case IDC_chkMute: return toggle(panel.chkMute);
      case IDC_chkStartHidden: return toggle(panel.chkStartHidden);
      case IDC_chkStartWithWindows: return toggle(panel.chkStartWithWindows);
      case IDC_chkDisplayIcon: return toggle(panel.chkDisplayIcon);
      case IDOK:
      case IDC_cmdOK: return Dispatch([](Form1& form) { form.cmdOK_Click(); });
      case IDC_cmdRefresh: return Dispatch([](Form1& form) { form.cmdRefresh_Click(); });
      case IDC_cmdShutdown: return Dispatch([](Form1& form) { form.cmdShutdown_Click(); });
      case IDC_cmdSetPassword: return Dispatch([](Form1& form) { form.cmdSetPassword_Click(); });
      case IDC_cmdBrowseIcon: return Dispatch([](Form1& form) { form.lblBrowseForIcon_Click(); });
      case IDC_cmdAcknowledgments: return Dispatch([](Form1& form) { form.cmdAcknowledgments_Click(); });
      case IDC_cmdUpdates: return Dispatch([](Form1& form) { form.CheckForUpdates(); });
      case IDC_cmdVisitForums: return Dispatch([](Form1& form) { form.VisitForum(); });
      case IDC_cmdSysInfo: return Dispatch([](Form1& form) { form.StartSysInfo(); });
      default: return;
    }
  }
  if (code == EN_CHANGE) {
    const std::pair<int, TextBox*> boxes[] = {
        {IDC_txtBlindfoldShortcutKey, &panel.txtBlindfoldShortcutKey},
        {IDC_txtWindowsShortcutKey, &panel.txtWindowsShortcutKey},
        {IDC_txtPanicShortcutKey, &panel.txtPanicShortcutKey},
        {IDC_txtPassword, &panel.txtPassword},
        {IDC_txtTrayIconTip, &panel.txtTrayIconTip},
        {IDC_txtDecoy, &panel.txtDecoy},
    };
    for (const auto& [boxId, box] : boxes) {
      if (id == boxId) box->text = GetText(id);
    }
    return;
  }
  if (id == IDC_List1 && code == LBN_SELCHANGE) return ReadListMarks();
  if (id == IDC_List2 && code == LBN_SELCHANGE) {
    const LRESULT selected = SendMessageW(control, LB_GETCURSEL, 0, 0);
    panel.List2.SetCurrentRow(selected >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(selected))
                                            : std::nullopt);
    return;
  }
  if (id == IDC_List1 && code == LBN_DBLCLK) {
    ReadListMarks();
    return Dispatch([](Form1& form) { List1_DblClick(form.panel); });
  }
  if (id == IDC_List2 && code == LBN_DBLCLK) return Dispatch([](Form1& form) { List2_DblClick(form.panel); });
}

void PanelDialog::OnNotify(const NMHDR& header) {
  if (!form_) return;
  const int id = static_cast<int>(header.idFrom);
  if (id == IDC_SSTab1 && header.code == TCN_SELCHANGE) {
    const LRESULT page = SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0);
    form_->panel.SSTab1 = static_cast<PanelPage>(page < 0 ? 0 : page);
    Render();
    return;
  }
  if (header.code != NM_CLICK && header.code != NM_RETURN) return;
  switch (id) {
    case IDC_Label1: return Dispatch([](Form1& form) { Label1_Click(form.panel); });
    case IDC_Label7: return Dispatch([](Form1& form) { Label7_Click(form.panel); });
    case IDC_lblBrowseForIcon: return Dispatch([](Form1& form) { form.lblBrowseForIcon_Click(); });
    case IDC_lblCheckForUpdates: return Dispatch([](Form1& form) { form.CheckForUpdates(); });
    case IDC_Label9:
    case IDC_Label5: return Dispatch([](Form1& form) { form.VisitForum(); });
    case IDC_Label3: return Dispatch([](Form1& form) { form.VisitKestrel(); });
    case IDC_lblHelpOpenWindows_0:
    case IDC_lblHelpOpenWindows_1:
    case IDC_lblHelpOpenWindows_2:
    case IDC_lblHelpOpenWindows_3:
    case IDC_lblHelpOpenWindows_4: return Dispatch([](Form1& form) { form.Help(); });
    default: return;
  }
}

INT_PTR CALLBACK PanelDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    reinterpret_cast<PanelDialog*>(lParam)->dialog_ = dialog;
    return TRUE;
  }
  auto* self = reinterpret_cast<PanelDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  return self ? self->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR PanelDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return TRUE;
    case WM_NOTIFY:
      OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
      return TRUE;
    case WM_HSCROLL:
      if (form_ && lParam && reinterpret_cast<HWND>(lParam) == Control(IDC_Slider1)) {
        form_->panel.Slider1.TrySetValue(SendMessageW(Control(IDC_Slider1), TBM_GETPOS, 0, 0));
      }
      return TRUE;
    case WM_HOTKEY:
      for (Win32Hotkey* hotkey : hotkeys_) {
        if (hotkey->Id() == static_cast<int>(wParam)) Dispatch([hotkey](Form1&) { hotkey->Pressed(); });
      }
      return TRUE;
    case WM_CLOSE:
      if (form_ && form_->Form_QueryUnload(CloseReason::ControlMenu)) Unload();
      return TRUE;
    case WM_QUERYENDSESSION:
      SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_ENDSESSION:
      if (wParam && form_ && form_->Form_QueryUnload(CloseReason::WindowsEnding)) {
        form_->Form_Unload();
        Unload();
      }
      return TRUE;
    case WM_DPICHANGED: {
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(dialog_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      Layout();
      return TRUE;
    }
    case WM_DESTROY:
      dialog_ = nullptr;
      PostQuitMessage(0);
      return TRUE;
    default:
      if (message == taskbarCreated_ && form_) form_->systray.TaskbarCreated();
      return FALSE;
  }
}

std::int32_t PanelDialog::Handle() { return FromHwnd(dialog_); }

std::int32_t PanelDialog::IconHandle() {
  auto icon = reinterpret_cast<HICON>(SendMessageW(dialog_, WM_GETICON, ICON_BIG, 0));
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(dialog_, GCLP_HICON));
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(icon));
}

bool PanelDialog::LoadIconFile(const std::string& path) {
  auto* icon = static_cast<HICON>(
      LoadImageW(nullptr, Widen(path).c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
  if (!icon) return false;
  SendMessageW(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  loadedIcon_.Reset(icon);
  return true;
}

bool PanelDialog::IsVisible() { return IsWindowVisible(dialog_) != FALSE; }

void PanelDialog::SetVisible(bool visible) {
  if (visible) Render();
  ShowWindow(dialog_, visible ? SW_SHOW : SW_HIDE);
}

void PanelDialog::SetBorderStyle(BorderStyle style) {
  const LONG_PTR frame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_BORDER | WS_DLGFRAME;
  const LONG_PTR newStyle = style == BorderStyle::None ? (framedStyle_ & ~frame) : framedStyle_;
  SetWindowLongPtrW(dialog_, GWL_STYLE, newStyle);
  SetWindowPos(dialog_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void PanelDialog::SetSizeTwips(int width, int height) {
  SetWindowPos(dialog_, nullptr, 0, 0, Px(width), Px(height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PanelDialog::PlaceControl(const ControlPlacement& placement) {
  for (const PlaceableControl& control : kPlaceable) {
    if (control.name != placement.control) continue;
    for (ControlLayout& layout : layout_) {
      if (layout.id != control.id) continue;
      if (placement.left) layout.left = control.containerLeft + *placement.left;
      if (placement.top) layout.top = control.containerTop + *placement.top;
      if (placement.width) layout.width = *placement.width;
      if (placement.height) layout.height = *placement.height;
      Place(layout);
    }
  }
}

void PanelDialog::Unload() {
  if (dialog_) DestroyWindow(dialog_);
}

}  // namespace blindfold::win32
