#include "platform/win32/win32_tray.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/win32/callback_edge.h"
#include "platform/win32/handle_conversion.h"
#include "platform/win32/late_bound.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handle.h"

namespace blindfold::win32 {
namespace {

// The icon record as the shell takes it: the first record version, whose tip
// field holds 64 characters. An icon of no window gives a record the shell
// refuses, as removing an icon that was never added should.
NOTIFYICONDATAW NativeRecord(const TrayIcon& icon) {
  NOTIFYICONDATAW native{};
  if (!icon.window) return native;
  native.cbSize = NOTIFYICONDATAW_V1_SIZE;
  native.hWnd = ToHwnd(icon.window);
  native.uID = static_cast<UINT>(icon.id);
  native.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  native.uCallbackMessage = kTrayCallbackMessage;
  native.hIcon = reinterpret_cast<HICON>(static_cast<std::intptr_t>(icon.icon));
  const std::wstring field = TipField(icon.tip);
  std::copy(field.begin(), field.end(), native.szTip);
  return native;
}

// The one area reporting, as the program has one main window; its procedure
// has no room for a pointer of ours.
Win32NotificationArea* reportingArea = nullptr;

}  // namespace

// The tip in the record's 64-character field: the text, one NUL, then blanks;
// a text of 64 characters or more is cut to 64, without a NUL.
std::wstring TipField(const std::string& tip) {
  constexpr std::size_t kTipFieldChars = 64;
  std::wstring field = Widen(tip) + L'\0';
  field.resize(kTipFieldChars, L' ');
  return field;
}

bool Win32NotificationArea::AddIcon(const TrayIcon& icon) {
  NOTIFYICONDATAW native = NativeRecord(icon);
  return Shell_NotifyIconW(NIM_ADD, &native) != FALSE;
}

bool Win32NotificationArea::DeleteIcon(const TrayIcon& icon) {
  NOTIFYICONDATAW native = NativeRecord(icon);
  return Shell_NotifyIconW(NIM_DELETE, &native) != FALSE;
}

// Balloons need the longer record that has their fields; the icon itself is
// left as it is.
bool Win32NotificationArea::ShowBalloon(const TrayIcon& icon, const std::string& title, const std::string& text) {
  if (!icon.window) return false;
  NOTIFYICONDATAW native{};
  native.cbSize = sizeof native;
  native.hWnd = ToHwnd(icon.window);
  native.uID = static_cast<UINT>(icon.id);
  native.uFlags = NIF_INFO;
  native.dwInfoFlags = NIIF_WARNING;
  const std::wstring wideTitle = Widen(title).substr(0, std::size(native.szInfoTitle) - 1);
  const std::wstring wideText = Widen(text).substr(0, std::size(native.szInfo) - 1);
  std::copy(wideTitle.begin(), wideTitle.end(), native.szInfoTitle);
  std::copy(wideText.begin(), wideText.end(), native.szInfo);
  return Shell_NotifyIconW(NIM_MODIFY, &native) != FALSE;
}

std::optional<TrayGesture> GestureOfMouseMessage(LPARAM message) {
  switch (message) {
    case WM_LBUTTONDOWN: return TrayGesture::LeftDown;
    case WM_LBUTTONUP: return TrayGesture::LeftUp;
    case WM_LBUTTONDBLCLK: return TrayGesture::LeftDoubleClick;
    case WM_RBUTTONDOWN: return TrayGesture::RightDown;
    case WM_RBUTTONUP: return TrayGesture::RightUp;
    case WM_RBUTTONDBLCLK: return TrayGesture::RightDoubleClick;
    case WM_MBUTTONDOWN: return TrayGesture::MiddleDown;
    case WM_MBUTTONUP: return TrayGesture::MiddleUp;
    case WM_MBUTTONDBLCLK: return TrayGesture::MiddleDoubleClick;
    default: return std::nullopt;
  }
}

Win32NotificationArea::Win32NotificationArea() : taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {}

Win32NotificationArea::~Win32NotificationArea() { StopReporting(); }

void Win32NotificationArea::StartReporting(WindowHandle window, TrayEvents& events) {
  StopReporting();
  hooked_ = ToHwnd(window);
  events_ = &events;
  reportingArea = this;
  previous_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hooked_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookProcedure)));
}

void Win32NotificationArea::StopReporting() {
  if (!hooked_) return;
  SetWindowLongPtrW(hooked_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
  hooked_ = nullptr;
  events_ = nullptr;
  if (reportingArea == this) reportingArea = nullptr;
}

// The panel is a dialog, and dialogs also receive WM_USER (DM_GETDEFID) with
// an lParam of 0, which names no gesture.
bool Win32NotificationArea::Take(UINT message, LPARAM lParam) {
  if (!events_) return false;
  if (message == kTrayCallbackMessage) {
    const auto gesture = GestureOfMouseMessage(lParam);
    if (!gesture) return false;
    events_->Gestured(*gesture);
  } else if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    events_->TaskbarCreated();
  } else {
    return false;
  }
  return true;
}

LRESULT CALLBACK Win32NotificationArea::HookProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32NotificationArea* const area = reportingArea;
  if (!area) return DefWindowProcW(window, message, wParam, lParam);
  const WNDPROC previous = area->previous_;
  if (AtTheEdge("the tray icon's message", true, [&] { return area->Take(message, lParam); })) return 0;
  return CallWindowProcW(previous, window, message, wParam, lParam);
}

void Win32PopupMenu::SetForegroundWindow(WindowHandle window) { ::SetForegroundWindow(ToHwnd(window)); }

std::optional<TrayMenuItem> Win32PopupMenu::Pop(const std::vector<MenuEntry>& entries) {
  const UniqueHandle<MenuTraits> owned(CreatePopupMenu());
  HMENU menu = owned.Get();
  // An entry's command is its item; 0 is what a dismissed menu returns.
  for (const MenuEntry& entry : entries) {
    if (entry.item == TrayMenuItem::Separator) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu, MF_STRING | (entry.enabled ? 0u : MF_GRAYED), static_cast<UINT_PTR>(entry.item),
                  Widen(entry.caption).c_str());
    }
  }
  POINT cursor{};
  GetCursorPos(&cursor);
  const BOOL chosen = TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, cursor.x, cursor.y, 0, owner_, nullptr);
  // Lets the menu close properly when the user clicks elsewhere next time.
  PostMessageW(owner_, WM_NULL, 0, 0);
  if (chosen <= 0) return std::nullopt;
  return static_cast<TrayMenuItem>(chosen);
}

std::string Win32FileDialog::OpenFile(const std::string& filter, const std::string& defaultExtension,
                                      const std::string& title) {
  std::wstring nativeFilter = Widen(filter);
  std::replace(nativeFilter.begin(), nativeFilter.end(), L'|', L'\0');
  nativeFilter.push_back(L'\0');
  std::wstring extension = Widen(defaultExtension);
  if (extension.starts_with(L"*.")) extension.erase(0, 2);
  const std::wstring nativeTitle = Widen(title);
  std::wstring file(MAX_PATH * 4, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = OwnerOf(owner_);
  dialog.lpstrFilter = nativeFilter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = nativeTitle.c_str();
  dialog.lpstrDefExt = extension.c_str();
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
  // The file dialog brings the printing system along; it is loaded when used.
  static const auto getOpenFileName = LateBound<decltype(GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
  if (!getOpenFileName || !getOpenFileName(&dialog)) return {};
  return Narrow(file.c_str());
}

}  // namespace blindfold::win32
