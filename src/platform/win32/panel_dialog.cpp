#include "platform/win32/panel_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/win32/callback_edge.h"
#include "core/texts.h"
#include "platform/win32/handle_conversion.h"
#include "platform/win32/late_bound.h"
#include "platform/win32/posted_messages.h"
#include "platform/win32/resource.h"
#include "platform/win32/text_conversion.h"

namespace blindfold::win32 {
namespace {

std::optional<std::size_t> RowOf(LRESULT index) {
  return index >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(index)) : std::nullopt;
}

}  // namespace

PanelDialog::PanelDialog(int widthTwips, int heightTwips) : widthTwips_(widthTwips), heightTwips_(heightTwips) {}

PanelDialog::~PanelDialog() {
  if (dialog_) DestroyWindow(dialog_);
  main_.Destroy();
}

// The dialog with the controls of its first page, sized and placed as the load
// left the panel. Once the program has unloaded, nothing is made again.
bool PanelDialog::MakeDialog() {
  if (dialog_) return true;
  if (!main_) return false;
  // The common controls are the panel's alone, and so is their library: a
  // start that never shows the panel does not load it. The program's manifest
  // picks the library's version, as it would for an import.
  static const auto initCommonControls =
      LateBound<decltype(InitCommonControlsEx)>(L"comctl32.dll", "InitCommonControlsEx");
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                     ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_LINK_CLASS | ICC_STANDARD_CLASSES};
  if (initCommonControls) initCommonControls(&classes);
  CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FORM1), nullptr, DialogProc,
                     reinterpret_cast<LPARAM>(this));
  if (!dialog_) return false;
  controls_ = std::make_unique<PanelControls>(dialog_);
  view_.AttachWidgets(*controls_);
  SetWindowIcons(dialog_, main_.Icon(ICON_BIG), main_.Icon(ICON_SMALL));
  // The tabs show no access keys here: Ctrl+Tab goes round them.
  HWND tab = controls_->Get(Control::Pages);
  for (int page = 0; page < kPanelPageCount; ++page) {
    std::wstring caption = Widen(PanelView::PageCaption(static_cast<PanelPage>(page)));
    std::erase(caption, L'&');
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tab, TCM_INSERTITEMW, static_cast<WPARAM>(page), reinterpret_cast<LPARAM>(&item));
  }
  SetWindowPos(dialog_, nullptr, 0, 0, controls_->Px(widthTwips_), controls_->Px(heightTwips_),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void PanelDialog::Attach(PanelModel& panel, PanelEvents& events, std::vector<Win32Hotkey*> hotkeys) {
  panel_ = &panel;
  main_.SetHotkeys(std::move(hotkeys));
  view_.Attach(panel, events);
  Render();
}

void PanelDialog::Render() {
  // Before the panel is first shown, and after it has gone, there is nothing
  // to render into: the model is rendered whole when the dialog is made.
  if (!panel_ || !dialog_) return;
  view_.Render();
}

// The pages' keys of every tabbed dialog: Ctrl+Tab and Ctrl+PgDn go to the
// next page, Ctrl+Shift+Tab and Ctrl+PgUp to the one before, round the end.
bool PanelDialog::TranslateDialogMessage(MSG& message) {
  if (!dialog_) return false;
  if (message.message == WM_KEYDOWN && panel_ && (GetKeyState(VK_CONTROL) & 0x8000) &&
      (message.hwnd == dialog_ || IsChild(dialog_, message.hwnd))) {
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    int step = 0;
    if (message.wParam == VK_TAB) step = shift ? -1 : 1;
    if (message.wParam == VK_NEXT) step = 1;
    if (message.wParam == VK_PRIOR) step = -1;
    if (step != 0) {
      view_.CyclePage(step);
      return true;
    }
  }
  if (message.message == WM_KEYDOWN && panel_ && MoveWithinOptionGroup(message.hwnd, message.wParam)) return true;
  return IsDialogMessageW(dialog_, &message) != FALSE;
}

// The arrow keys move within a group of option buttons and choose the button
// they reach.
bool PanelDialog::MoveWithinOptionGroup(HWND focus, WPARAM key) {
  int step = 0;
  if (key == VK_RIGHT || key == VK_DOWN) step = 1;
  if (key == VK_LEFT || key == VK_UP) step = -1;
  const auto which = PanelControls::ControlOf(GetDlgCtrlID(focus));
  if (step == 0 || !which || !controls_ || controls_->Get(*which) != focus || OptionGroupOf(*which).empty()) {
    return false;
  }
  if (const auto next = view_.OptionStep(*which, step)) {
    SetFocus(controls_->Get(*next));
    view_.Clicked(*next);
  }
  return true;
}

std::vector<bool> PanelDialog::ListMarks(HWND box) const {
  std::vector<bool> marks(static_cast<std::size_t>(std::max<LRESULT>(SendMessageW(box, LB_GETCOUNT, 0, 0), 0)));
  for (std::size_t i = 0; i < marks.size(); ++i) marks[i] = SendMessageW(box, LB_GETSEL, i, 0) > 0;
  return marks;
}

void PanelDialog::OnCommand(int id, int code, HWND control) {
  // Esc is the close box.
  if (id == IDCANCEL) {
    if (view_.CloseRequested(CloseReason::ControlMenu)) Unload();
    return;
  }
  // Enter presses the default button, whose id the dialog manager does not know.
  const auto which = id == IDOK ? std::optional(Control::cmdOK) : PanelControls::ControlOf(id);
  if (!which) return;
  switch (InfoOf(*which).kind) {
    case ControlKind::PasswordBox:
    case ControlKind::TextBox:
    case ControlKind::KeyBox: {
      // Where Enter in a box presses another button, the default button
      // follows the focus there.
      const Control enter = view_.SpecOf(InfoOf(*which)).enterPresses;
      if ((code == EN_SETFOCUS || code == EN_KILLFOCUS) && enter != Control::cmdOK) {
        const Control button = code == EN_SETFOCUS ? enter : Control::cmdOK;
        SendMessageW(dialog_, DM_SETDEFID, static_cast<WPARAM>(PanelControls::IdOf(button)), 0);
        return;
      }
      if (code == EN_CHANGE) view_.TextChanged(*which, TextOf(control));
      return;
    }
    case ControlKind::MultiList:
    case ControlKind::List: {
      const bool multiple = InfoOf(*which).kind == ControlKind::MultiList;
      if (code == LBN_SELCHANGE || (code == LBN_DBLCLK && multiple)) {
        const std::vector<bool> marks = multiple ? ListMarks(control) : std::vector<bool>{};
        const LRESULT current = SendMessageW(control, multiple ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0);
        view_.RowsSelected(*which, marks, RowOf(current));
      }
      if (code == LBN_DBLCLK) view_.RowDoubleClicked(*which);
      return;
    }
    default:
      if (code == BN_CLICKED) view_.Clicked(*which);
      return;
  }
}

void PanelDialog::OnNotify(const NMHDR& header) {
  const auto which = PanelControls::ControlOf(static_cast<int>(header.idFrom));
  // Only our own controls notify; anything else names a window we did not make.
  if (!which || header.hwndFrom != controls_->Get(*which)) return;
  if (which == Control::Pages && header.code == TCN_SELCHANGE) {
    const LRESULT page = SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0);
    return view_.PageSelected(static_cast<PanelPage>(page < 0 ? 0 : page));
  }
  if (InfoOf(*which).kind == ControlKind::Link && (header.code == NM_CLICK || header.code == NM_RETURN)) {
    view_.Clicked(*which);
  }
}

// Only what sits on the page itself takes the page's colour: boxes that take
// text keep their own.
HBRUSH PanelDialog::ControlBackground(HWND control, HDC dc) {
  const auto which = PanelControls::ControlOf(GetDlgCtrlID(control));
  if (!which || controls_->Get(*which) != control) return nullptr;
  switch (InfoOf(*which).kind) {
    case ControlKind::Label:
    case ControlKind::Link:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::Frame:
    case ControlKind::Slider:
      return surface_.ControlBackground(dialog_, controls_->Get(Control::Pages), control, dc);
    default:
      return nullptr;
  }
}

void PanelDialog::ShutdownAsked() { view_.Clicked(Control::cmdShutdown); }

void PanelDialog::CloseAsked() {
  if (view_.CloseRequested(CloseReason::ControlMenu)) Unload();
}

void PanelDialog::SessionEnding() {
  if (!view_.CloseRequested(CloseReason::WindowsEnding)) return;
  sessionEnded_ = true;
  Unload();
}

INT_PTR CALLBACK PanelDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    reinterpret_cast<PanelDialog*>(lParam)->dialog_ = dialog;
    return TRUE;
  }
  auto* self = reinterpret_cast<PanelDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self || self->dialog_ != dialog) return FALSE;
  // A message whose handling threw is answered as one nobody handled.
  return AtTheEdge("a message of the panel", static_cast<INT_PTR>(FALSE),
                   [&] { return self->HandleDialogMessage(message, wParam, lParam); });
}

INT_PTR PanelDialog::HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return TRUE;
    case WM_NOTIFY:
      if (const auto* header = MessagePointer<NMHDR>(lParam)) OnNotify(*header);
      return TRUE;
    case WM_HSCROLL:
      if (lParam && reinterpret_cast<HWND>(lParam) == controls_->Get(Control::Slider1)) {
        const auto value = static_cast<int>(SendMessageW(reinterpret_cast<HWND>(lParam), TBM_GETPOS, 0, 0));
        view_.ValueChanged(Control::Slider1, value);
      }
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (!controls_) return FALSE;
      return reinterpret_cast<INT_PTR>(
          ControlBackground(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)));
    case WM_ERASEBKGND:
      if (!controls_) return FALSE;
      surface_.PaintBackground(dialog_, controls_->Get(Control::Pages), reinterpret_cast<HDC>(wParam));
      SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
      surface_.Forget();
      InvalidateRect(dialog_, nullptr, TRUE);
      return FALSE;
    case WM_SETCURSOR:
      if (!controls_ || !controls_->Busy()) return FALSE;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_CLOSE:
      if (view_.CloseRequested(CloseReason::ControlMenu)) Unload();
      return TRUE;
    case WM_DPICHANGED: {
      const auto* suggested = MessagePointer<RECT>(lParam);
      if (!suggested) return TRUE;
      SetWindowPos(dialog_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      for (const ControlInfo& info : Controls()) controls_->Move(info.control, view_.PlaceOf(info.control));
      surface_.Forget();
      return TRUE;
    }
    case WM_DESTROY:
      // The program ends with its main window, not with the panel.
      dialog_ = nullptr;
      view_.DetachWidgets();
      controls_.reset();
      return TRUE;
    default:
      return FALSE;
  }
}

WindowHandle PanelDialog::Handle() { return FromHwnd(main_.Get()); }

// The tray shows the small frame.
std::int32_t PanelDialog::IconHandle() {
  HICON icon = main_.Icon(ICON_SMALL);
  if (!icon) icon = main_.Icon(ICON_BIG);
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(icon));
}

bool PanelDialog::LoadIconFile(const std::string& path) {
  const std::wstring file = Widen(path);
  auto* icon = static_cast<HICON>(LoadImageW(nullptr, file.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
  if (!icon) return false;
  auto* small = static_cast<HICON>(LoadImageW(nullptr, file.c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE));
  SetWindowIcons(main_.Get(), icon, small);
  if (dialog_) SetWindowIcons(dialog_, icon, small);
  loadedIcon_.Reset(icon);
  loadedSmallIcon_.Reset(small);
  return true;
}

bool PanelDialog::IsVisible() { return dialog_ && IsWindowVisible(dialog_) != FALSE; }

void PanelDialog::SetVisible(bool visible) {
  if (flashing_) {
    ShowWindow(main_.Get(), visible ? SW_SHOW : SW_HIDE);
    return;
  }
  if (!visible) {
    if (dialog_) ShowWindow(dialog_, SW_HIDE);
    return;
  }
  if (!MakeDialog()) return;
  Render();
  ShowWindow(dialog_, SW_SHOW);
}

// Without its border the panel is a window of 1 by 1 twip shown for an instant,
// so that the foreground stays ours while the desktop is hidden. The main
// window, which is always there, stands in for it: a panel never shown is not
// made for that, and one that was keeps its frame.
void PanelDialog::SetBorderStyle(BorderStyle style) { flashing_ = style == BorderStyle::None; }

void PanelDialog::SetSizeTwips(int width, int height) {
  if (flashing_) {
    const UINT dpi = GetDpiForWindow(main_.Get());
    const int perInch = dpi ? static_cast<int>(dpi) : USER_DEFAULT_SCREEN_DPI;
    const auto px = [&](int twips) { return MulDiv(twips, perInch, 1440); };
    SetWindowPos(main_.Get(), nullptr, 0, 0, px(width), px(height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  widthTwips_ = width;
  heightTwips_ = height;
  if (!dialog_) return;
  SetWindowPos(dialog_, nullptr, 0, 0, controls_->Px(width), controls_->Px(height),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PanelDialog::PlaceControl(const ControlPlacement& placement) { view_.Place(placement); }

void PanelDialog::Unload() {
  if (dialog_) DestroyWindow(dialog_);
  main_.Destroy();
}

}  // namespace blindfold::win32
