#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/window_manager.h"

namespace blindfold::win32 {

// Window handles carry 32 significant bits on every Windows build; widening
// sign-extends them, as HandleToLong and LongToHandle do.
inline HWND ToHwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(window.Value()));
}
inline WindowHandle FromHwnd(HWND window) {
  return WindowHandle(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(window)));
}

}  // namespace blindfold::win32
