#include "platform/win32/win32_tray.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>

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

// One hooked window at a time, as the program has one main window.
Win32WindowSubclass::Handler* hookHandler = nullptr;
WNDPROC previousProcedure = nullptr;

LRESULT CALLBACK HookProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hookHandler && *hookHandler) {
    if (const auto handled = (*hookHandler)(message, wParam, lParam)) return *handled;
  }
  return CallWindowProcW(previousProcedure, window, message, wParam, lParam);
}

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

Win32WindowSubclass::Win32WindowSubclass(Handler handler) : handler_(std::move(handler)) { hookHandler = &handler_; }

Win32WindowSubclass::~Win32WindowSubclass() { hookHandler = nullptr; }

std::intptr_t Win32WindowSubclass::Install(WindowHandle window) {
  const LONG_PTR previous =
      SetWindowLongPtrW(ToHwnd(window), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookProcedure));
  previousProcedure = reinterpret_cast<WNDPROC>(previous);
  return previous;
}

void Win32WindowSubclass::Restore(WindowHandle window, std::intptr_t previous) {
  SetWindowLongPtrW(ToHwnd(window), GWLP_WNDPROC, previous);
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
