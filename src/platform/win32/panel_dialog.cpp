#include "platform/win32/panel_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <utility>

#include "platform/win32/handle_conversion.h"
#include "platform/win32/posted_messages.h"
#include "platform/win32/resource.h"
#include "platform/win32/text_conversion.h"

namespace blindfold::win32 {
namespace {

constexpr std::array<const wchar_t*, 5> kPageCaptions = {L"Open windows", L"Hotkeys", L"Settings", L"Stealth",
                                                         L"About"};

std::optional<std::size_t> RowOf(LRESULT index) {
  return index >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(index)) : std::nullopt;
}

}  // namespace

PanelDialog::PanelDialog(int widthTwips, int heightTwips) {
  dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FORM1), nullptr, DialogProc,
                               reinterpret_cast<LPARAM>(this));
  if (!dialog_) return;
  controls_ = std::make_unique<PanelControls>(dialog_);
  framedStyle_ = GetWindowLongPtrW(dialog_, GWL_STYLE);
  // Sent to every top-level window when the shell (re)starts.
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  // Each size from its own frame: the small frames are drawn for their size.
  const HINSTANCE self = GetModuleHandleW(nullptr);
  if (HICON icon = LoadIconW(self, MAKEINTRESOURCEW(IDI_BLINDFOLD))) {
    SendMessageW(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  }
  if (auto* small = static_cast<HICON>(LoadImageW(self, MAKEINTRESOURCEW(IDI_BLINDFOLD), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                  LR_SHARED))) {
    SendMessageW(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  }
  HWND tab = controls_->Get(Control::SSTab1);
  for (std::size_t i = 0; i < kPageCaptions.size(); ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(kPageCaptions[i]);
    SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  SetSizeTwips(widthTwips, heightTwips);
}

PanelDialog::~PanelDialog() {
  if (dialog_) DestroyWindow(dialog_);
}

void PanelDialog::Attach(PanelModel& panel, PanelEvents& events, std::vector<Win32Hotkey*> hotkeys,
                         TrayEvents& tray) {
  panel_ = &panel;
  events_ = &events;
  tray_ = &tray;
  hotkeys_ = std::move(hotkeys);
  Render();
}

void PanelDialog::Render() {
  // After the window has gone there is nothing left to render into.
  if (!panel_ || !dialog_) return;
  rendering_ = true;
  renderer_.Render(*panel_, *controls_);
  rendering_ = false;
  if (panel_->busy != busy_) {
    busy_ = panel_->busy;
    EnableWindow(dialog_, busy_ ? FALSE : TRUE);
    SetCursor(LoadCursorW(nullptr, busy_ ? IDC_WAIT : IDC_ARROW));
  }
}

// The pages' keys of every tabbed dialog: Ctrl+Tab and Ctrl+PgDn go to the
// next page, Ctrl+Shift+Tab and Ctrl+PgUp to the one before, round the end.
bool PanelDialog::TranslateDialogMessage(MSG& message) {
  if (message.message == WM_KEYDOWN && panel_ && (GetKeyState(VK_CONTROL) & 0x8000) &&
      (message.hwnd == dialog_ || IsChild(dialog_, message.hwnd))) {
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    int step = 0;
    if (message.wParam == VK_TAB) step = shift ? -1 : 1;
    if (message.wParam == VK_NEXT) step = 1;
    if (message.wParam == VK_PRIOR) step = -1;
    if (step != 0) {
      constexpr int kPages = 5;
      const int page = (static_cast<int>(panel_->SSTab1) + step + kPages) % kPages;
      Report([&](PanelEvents& events) { events.PageSelected(static_cast<PanelPage>(page)); });
      return true;
    }
  }
  if (message.message == WM_KEYDOWN && panel_ && MoveWithinOptionGroup(message.hwnd, message.wParam)) return true;
  return IsDialogMessageW(dialog_, &message) != FALSE;
}

// The arrow keys move to the next option button of the group, round the end,
// and choose it, as in every group of option buttons.
bool PanelDialog::MoveWithinOptionGroup(HWND focus, WPARAM key) {
  int step = 0;
  if (key == VK_RIGHT || key == VK_DOWN) step = 1;
  if (key == VK_LEFT || key == VK_UP) step = -1;
  const auto which = PanelControls::ControlOf(GetDlgCtrlID(focus));
  if (step == 0 || !which || controls_->Get(*which) != focus) return false;
  const std::span<const Control> group = OptionGroupOf(*which);
  if (group.empty()) return false;
  const auto size = static_cast<int>(group.size());
  int at = static_cast<int>(std::find(group.begin(), group.end(), *which) - group.begin());
  for (int tried = 1; tried < size; ++tried) {
    at = (at + step + size) % size;
    HWND next = controls_->Get(group[static_cast<std::size_t>(at)]);
    if (!next || !IsWindowEnabled(next) || !IsWindowVisible(next)) continue;
    SetFocus(next);
    Report([&](PanelEvents& events) { events.Clicked(group[static_cast<std::size_t>(at)]); });
    break;
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
    if (events_ && !rendering_ && events_->CloseRequested(CloseReason::ControlMenu)) Unload();
    return;
  }
  // Enter presses the default button, whose id the dialog manager does not know.
  const auto which = id == IDOK ? std::optional(Control::cmdOK) : PanelControls::ControlOf(id);
  if (!which) return;
  switch (InfoOf(*which).kind) {
    case ControlKind::PasswordBox:
      // Enter in the password box sets the password: the default button
      // follows the focus there.
      if (code == EN_SETFOCUS || code == EN_KILLFOCUS) {
        const Control button = code == EN_SETFOCUS ? Control::cmdSetPassword : Control::cmdOK;
        SendMessageW(dialog_, DM_SETDEFID, static_cast<WPARAM>(PanelControls::IdOf(button)), 0);
        return;
      }
      [[fallthrough]];
    case ControlKind::TextBox:
    case ControlKind::KeyBox:
      if (code != EN_CHANGE) return;
      return Report([&](PanelEvents& events) { events.TextChanged(*which, TextOf(control)); });
    case ControlKind::MultiList:
    case ControlKind::List: {
      const bool multiple = InfoOf(*which).kind == ControlKind::MultiList;
      if (code == LBN_SELCHANGE || (code == LBN_DBLCLK && multiple)) {
        const std::vector<bool> marks = multiple ? ListMarks(control) : std::vector<bool>{};
        if (multiple) renderer_.MarksRead(marks);
        const LRESULT current = SendMessageW(control, multiple ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0);
        Report([&](PanelEvents& events) { events.RowsSelected(*which, marks, RowOf(current)); });
      }
      if (code == LBN_DBLCLK) Report([&](PanelEvents& events) { events.RowDoubleClicked(*which); });
      return;
    }
    default:
      if (code != BN_CLICKED) return;
      return Report([&](PanelEvents& events) { events.Clicked(*which); });
  }
}

void PanelDialog::OnNotify(const NMHDR& header) {
  const auto which = PanelControls::ControlOf(static_cast<int>(header.idFrom));
  // Only our own controls notify; anything else names a window we did not make.
  if (!which || header.hwndFrom != controls_->Get(*which)) return;
  if (which == Control::SSTab1 && header.code == TCN_SELCHANGE) {
    const LRESULT page = SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0);
    return Report([&](PanelEvents& events) { events.PageSelected(static_cast<PanelPage>(page < 0 ? 0 : page)); });
  }
  if (InfoOf(*which).kind == ControlKind::Link && (header.code == NM_CLICK || header.code == NM_RETURN)) {
    Report([&](PanelEvents& events) { events.Clicked(*which); });
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
      return surface_.ControlBackground(dialog_, controls_->Get(Control::SSTab1), control, dc);
    default:
      return nullptr;
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
      if (const auto* header = MessagePointer<NMHDR>(lParam)) OnNotify(*header);
      return TRUE;
    case WM_HSCROLL:
      if (lParam && reinterpret_cast<HWND>(lParam) == controls_->Get(Control::Slider1)) {
        const auto value = static_cast<int>(SendMessageW(reinterpret_cast<HWND>(lParam), TBM_GETPOS, 0, 0));
        Report([&](PanelEvents& events) { events.ValueChanged(Control::Slider1, value); });
      }
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (!controls_) return FALSE;
      return reinterpret_cast<INT_PTR>(
          ControlBackground(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)));
    case WM_ERASEBKGND:
      if (!controls_) return FALSE;
      surface_.PaintBackground(dialog_, controls_->Get(Control::SSTab1), reinterpret_cast<HDC>(wParam));
      SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
      surface_.Forget();
      InvalidateRect(dialog_, nullptr, TRUE);
      return FALSE;
    case WM_SETCURSOR:
      if (!busy_) return FALSE;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_HOTKEY:
      for (Win32Hotkey* hotkey : hotkeys_) {
        if (hotkey->Id() == static_cast<int>(wParam)) {
          hotkey->Pressed();
          Render();
        }
      }
      return TRUE;
    case WM_CLOSE:
      if (events_ && events_->CloseRequested(CloseReason::ControlMenu)) Unload();
      return TRUE;
    case WM_QUERYENDSESSION:
      SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_ENDSESSION:
      if (wParam && events_ && events_->CloseRequested(CloseReason::WindowsEnding)) {
        sessionEnded_ = true;
        Unload();
      }
      return TRUE;
    case WM_DPICHANGED: {
      const auto* suggested = MessagePointer<RECT>(lParam);
      if (!suggested) return TRUE;
      SetWindowPos(dialog_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      controls_->Layout();
      surface_.Forget();
      return TRUE;
    }
    case WM_DESTROY:
      dialog_ = nullptr;
      controls_->Forget();
      PostQuitMessage(0);
      return TRUE;
    default:
      if (message == taskbarCreated_ && tray_) tray_->TaskbarCreated();
      return FALSE;
  }
}

WindowHandle PanelDialog::Handle() { return FromHwnd(dialog_); }

// The tray shows the small frame.
std::int32_t PanelDialog::IconHandle() {
  auto icon = reinterpret_cast<HICON>(SendMessageW(dialog_, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(dialog_, WM_GETICON, ICON_BIG, 0));
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(dialog_, GCLP_HICON));
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(icon));
}

bool PanelDialog::LoadIconFile(const std::string& path) {
  const std::wstring file = Widen(path);
  auto* icon = static_cast<HICON>(LoadImageW(nullptr, file.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
  if (!icon) return false;
  auto* small = static_cast<HICON>(LoadImageW(nullptr, file.c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE));
  SendMessageW(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small ? small : icon));
  loadedIcon_.Reset(icon);
  loadedSmallIcon_.Reset(small);
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
  SetWindowPos(dialog_, nullptr, 0, 0, controls_->Px(width), controls_->Px(height),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PanelDialog::PlaceControl(const ControlPlacement& placement) { controls_->Place(placement); }

void PanelDialog::Unload() {
  if (dialog_) DestroyWindow(dialog_);
}

}  // namespace blindfold::win32
