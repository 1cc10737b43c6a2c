#include "platform/win32/panel_controls.h"

#include <commctrl.h>

#include "platform/win32/text_conversion.h"

namespace blindfold::win32 {
namespace {

struct NativeKind {
  const wchar_t* className;
  DWORD style;
};

NativeKind NativeKindOf(ControlKind kind) {
  constexpr DWORD kListStyle = LBS_USETABSTOPS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL |
                               WS_BORDER | WS_TABSTOP;
  switch (kind) {
    // A click on a tab takes the focus there, so that the arrows go on from it.
    case ControlKind::Tabs: return {WC_TABCONTROLW, TCS_FOCUSONBUTTONDOWN | WS_TABSTOP};
    case ControlKind::Frame: return {WC_BUTTONW, BS_GROUPBOX | WS_GROUP};
    case ControlKind::Label: return {WC_STATICW, SS_LEFT};
    case ControlKind::Link: return {WC_LINK, LWS_TRANSPARENT | WS_TABSTOP};
    // Check boxes change only when the model says so: a click is an event.
    case ControlKind::CheckBox: return {WC_BUTTONW, BS_CHECKBOX | WS_TABSTOP};
    case ControlKind::OptionButton: return {WC_BUTTONW, BS_RADIOBUTTON | WS_TABSTOP};
    case ControlKind::TextBox: return {WC_EDITW, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP};
    case ControlKind::KeyBox: return {WC_EDITW, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP};
    case ControlKind::PasswordBox: return {WC_EDITW, ES_AUTOHSCROLL | ES_PASSWORD | WS_BORDER | WS_TABSTOP};
    case ControlKind::List: return {WC_LISTBOXW, kListStyle};
    case ControlKind::MultiList: return {WC_LISTBOXW, kListStyle | LBS_MULTIPLESEL};
    case ControlKind::Button: return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP};
    case ControlKind::DefaultButton: return {WC_BUTTONW, BS_DEFPUSHBUTTON | WS_TABSTOP};
    case ControlKind::Slider: return {TRACKBAR_CLASSW, TBS_HORZ | TBS_AUTOTICKS | WS_TABSTOP};
  }
  return {WC_STATICW, 0};
}

// A password box remembers, in properties of its own, whether it holds the
// stored key and what edit control it extends.
constexpr wchar_t kReplacedOnEdit[] = L"Blindfold.ReplacedOnEdit";
constexpr wchar_t kEditProcedure[] = L"Blindfold.EditProcedure";

void StartAfresh(HWND box) {
  RemovePropW(box, kReplacedOnEdit);
  SetWindowTextW(box, L"");
}

// While the box holds the stored key, the first character typed, a paste or a
// deletion starts from an empty box, and a click or the focus selects all of
// it: an edit that kept any of the key would make a password nobody knows.
LRESULT CALLBACK ReplacedOnEditProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto edit = reinterpret_cast<WNDPROC>(GetPropW(box, kEditProcedure));
  if (message == WM_NCDESTROY) {
    RemovePropW(box, kReplacedOnEdit);
    RemovePropW(box, kEditProcedure);
    SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(edit));
  } else if (GetPropW(box, kReplacedOnEdit)) {
    constexpr WPARAM kControlBackspace = 0x7F;
    switch (message) {
      case WM_CHAR:
        if (wParam == VK_BACK || wParam == kControlBackspace) {
          StartAfresh(box);
          return 0;
        }
        // The other control characters are the box's own keys (Ctrl+A, Ctrl+V...).
        if (wParam >= L' ') StartAfresh(box);
        break;
      case WM_KEYDOWN:
        if (wParam == VK_DELETE) {
          StartAfresh(box);
          return 0;
        }
        // Shift+Insert pastes without a WM_PASTE.
        if (wParam == VK_INSERT && GetKeyState(VK_SHIFT) < 0) StartAfresh(box);
        break;
      case WM_CUT:
      case WM_CLEAR:
        StartAfresh(box);
        return 0;
      case WM_PASTE:
        StartAfresh(box);
        break;
      case WM_SETFOCUS:
      case WM_LBUTTONUP: {
        const LRESULT result = CallWindowProcW(edit, box, message, wParam, lParam);
        SendMessageW(box, EM_SETSEL, 0, -1);
        return result;
      }
      default:
        break;
    }
  }
  return CallWindowProcW(edit, box, message, wParam, lParam);
}

std::wstring NativeCaption(const ControlSpec& spec) {
  const std::wstring caption = Widen(spec.caption);
  return spec.info->kind == ControlKind::Link ? L"<a>" + caption + L"</a>" : caption;
}

void SendToBottom(HWND window) {
  if (window) SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace

int PanelControls::IdOf(Control control) { return InfoOf(control).id; }

std::optional<Control> PanelControls::ControlOf(int id) {
  for (const ControlInfo& info : Controls()) {
    if (info.id == id) return info.control;
  }
  return std::nullopt;
}

// A page's controls take their place in the tab order ahead of the controls
// that every page shows, as if they had been made with those; frames and the
// tab control lie behind the controls they hold.
void PanelControls::Create(const ControlSpec& spec) {
  const ControlInfo& info = *spec.info;
  NativeKind kind = NativeKindOf(info.kind);
  // A label the program writes into shows its text as it is: an & in a
  // window's title marks no key.
  if (info.kind == ControlKind::Label && info.field) kind.style |= SS_NOPREFIX;
  if (spec.upperCase) kind.style |= ES_UPPERCASE;
  const DesignRect& place = spec.place;
  HWND window = CreateWindowExW(WS_EX_NOPARENTNOTIFY, kind.className, NativeCaption(spec).c_str(),
                                WS_CHILD | kind.style, Px(place.left), Px(place.top), Px(place.width),
                                Px(place.height), dialog_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdOf(info.control))),
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) return;
  SendMessageW(window, WM_SETFONT, static_cast<WPARAM>(SendMessageW(dialog_, WM_GETFONT, 0, 0)), FALSE);
  const bool onEveryPage = info.page == kEveryPage;
  if (!onEveryPage) {
    HWND above = GetWindow(Get(Control::cmdOK), GW_HWNDPREV);
    SetWindowPos(window, above ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  controls_[IndexOf(info.control)] = window;
  Prepare(spec, window);
  if (info.kind == ControlKind::Frame) SendToBottom(window);
  if (info.kind == ControlKind::Frame || onEveryPage) SendToBottom(Get(Control::Pages));
}

// What a few controls need beyond their kind.
void PanelControls::Prepare(const ControlSpec& spec, HWND window) {
  if (spec.maxChars > 0) SendMessageW(window, EM_LIMITTEXT, spec.maxChars, 0);
  if (spec.info->kind == ControlKind::PasswordBox) {
    SetPropW(window, kEditProcedure, reinterpret_cast<HANDLE>(GetWindowLongPtrW(window, GWLP_WNDPROC)));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReplacedOnEditProcedure));
  } else if (spec.info->kind == ControlKind::Slider) {
    SendMessageW(window, TBM_SETRANGE, TRUE, MAKELPARAM(Slider::kMin, Slider::kMax));
    SendMessageW(window, TBM_SETTICFREQ, 10, 0);
  } else if (spec.title) {
    LOGFONTW large{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog_, WM_GETFONT, 0, 0)), sizeof large, &large);
    large.lfHeight = large.lfHeight * 5 / 2;
    large.lfWeight = FW_BOLD;
    titleFont_.Reset(CreateFontIndirectW(&large));
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.Get()), FALSE);
  }
}

int PanelControls::Px(int twips) const {
  const UINT dpi = GetDpiForWindow(dialog_);
  return MulDiv(twips, dpi ? static_cast<int>(dpi) : USER_DEFAULT_SCREEN_DPI, 1440);
}

void PanelControls::Move(Control control, const DesignRect& place) {
  HWND window = Get(control);
  if (!window) return;
  SetWindowPos(window, nullptr, Px(place.left), Px(place.top), Px(place.width), Px(place.height),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void MarkReplacedOnEdit(HWND box, bool replaced) {
  if (replaced) {
    SetPropW(box, kReplacedOnEdit, reinterpret_cast<HANDLE>(1));
  } else {
    RemovePropW(box, kReplacedOnEdit);
  }
}

}  // namespace blindfold::win32
