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

// The icon record as the shell takes it. The logic's record keeps the size of
// the first record version; the shell gets the size of that version's Unicode
// form, whose tip field holds the same 64 characters.
NOTIFYICONDATAW NativeRecord(const TrayIconRecord& record) {
  NOTIFYICONDATAW native{};
  native.cbSize = record.cbSize ? NOTIFYICONDATAW_V1_SIZE : 0;
  native.hWnd = ToHwnd(record.hWnd);
  native.uID = static_cast<UINT>(record.uID);
  native.uFlags = record.uFlags;
  native.uCallbackMessage = record.uCallbackMessage;
  native.hIcon = reinterpret_cast<HICON>(static_cast<std::intptr_t>(record.hIcon));
  std::copy_n(record.szTip.begin(), std::min<std::size_t>(record.szTip.size(), 64), native.szTip);
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

bool Win32NotificationArea::AddIcon(const TrayIconRecord& record) {
  NOTIFYICONDATAW native = NativeRecord(record);
  return Shell_NotifyIconW(NIM_ADD, &native) != FALSE;
}

bool Win32NotificationArea::DeleteIcon(const TrayIconRecord& record) {
  NOTIFYICONDATAW native = NativeRecord(record);
  return Shell_NotifyIconW(NIM_DELETE, &native) != FALSE;
}

Win32WindowSubclass::Win32WindowSubclass(Handler handler) : handler_(std::move(handler)) { hookHandler = &handler_; }

Win32WindowSubclass::~Win32WindowSubclass() { hookHandler = nullptr; }

std::intptr_t Win32WindowSubclass::Install(std::int32_t window) {
  const LONG_PTR previous =
      SetWindowLongPtrW(ToHwnd(window), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookProcedure));
  previousProcedure = reinterpret_cast<WNDPROC>(previous);
  return previous;
}

void Win32WindowSubclass::Restore(std::int32_t window, std::intptr_t previous) {
  SetWindowLongPtrW(ToHwnd(window), GWLP_WNDPROC, previous);
}

void Win32PopupMenu::SetForegroundWindow(std::int32_t window) { ::SetForegroundWindow(ToHwnd(window)); }

std::optional<std::size_t> Win32PopupMenu::Pop(const std::vector<MenuEntry>& entries) {
  struct MenuTraits {
    using Handle = HMENU;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle menu) { DestroyMenu(menu); }
  };
  const UniqueHandle<MenuTraits> owned(CreatePopupMenu());
  HMENU menu = owned.Get();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].caption == "-") {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu, MF_STRING | (entries[i].enabled ? 0u : MF_GRAYED), i + 1,
                  Widen(entries[i].caption).c_str());
    }
  }
  POINT cursor{};
  GetCursorPos(&cursor);
  const BOOL chosen = TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, cursor.x, cursor.y, 0, owner_, nullptr);
  // Lets the menu close properly when the user clicks elsewhere next time.
  PostMessageW(owner_, WM_NULL, 0, 0);
  if (chosen <= 0) return std::nullopt;
  return static_cast<std::size_t>(chosen - 1);
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
  dialog.hwndOwner = owner_;
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
