#include "platform/win32/win32_hotkey.h"

#include <string>

#include "core/texts.h"
#include "platform/win32/text_conversion.h"

namespace blindfold::win32 {
namespace {

std::string RefusalReason(DWORD error) {
  if (error == ERROR_HOTKEY_ALREADY_REGISTERED) return std::string(texts::kHotkeyTakenOnWindows);
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason = length ? Narrow(std::wstring_view(text, length)) : texts::HotkeyRefusedByWindows(error);
  LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  return reason;
}

}  // namespace

Win32Hotkey::~Win32Hotkey() {
  if (registered_) UnregisterHotKey(owner_, id_);
}

void Win32Hotkey::Disarm() {
  if (registered_) UnregisterHotKey(owner_, id_);
  registered_ = false;
}

HotkeyArmResult Win32Hotkey::Arm(const HotkeyCombination& combination) {
  if (registered_) UnregisterHotKey(owner_, id_);
  // Without MOD_NOREPEAT, holding the keys down would toggle back and forth.
  UINT modifiers = MOD_NOREPEAT;
  if (combination.winKey) modifiers |= MOD_WIN;
  if (combination.ctrlKey) modifiers |= MOD_CONTROL;
  if (combination.altKey) modifiers |= MOD_ALT;
  if (combination.shiftKey) modifiers |= MOD_SHIFT;
  registered_ = RegisterHotKey(owner_, id_, modifiers, static_cast<UINT>(combination.vkey)) != FALSE;
  if (registered_) return {true, ""};
  return {false, RefusalReason(GetLastError())};
}

}  // namespace blindfold::win32
