#pragma once

#include <windows.h>

namespace blindfold::win32 {

// A function of a system library that is loaded the first time the function is
// needed rather than when Blindfold starts: some libraries bring a lot with
// them (the file dialog brings the printing system, the cryptography its
// providers) for something most runs never use. Only the system folder is
// searched. Null when the library or the function is missing.
template <class Function>
Function* LateBound(const wchar_t* library, const char* name) {
  const HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module) return nullptr;
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace blindfold::win32
