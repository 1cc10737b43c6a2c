#include "platform/win32/text_conversion.h"

#include <windows.h>

namespace blindfold::win32 {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string Narrow(std::wstring_view utf16) {
  std::string narrow;
  NarrowInto(utf16, narrow);
  return narrow;
}

void NarrowInto(std::wstring_view utf16, std::string& utf8) {
  const int size = static_cast<int>(utf16.size());
  const int length = size ? WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr) : 0;
  utf8.resize(static_cast<std::size_t>(length));
  if (length) WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, utf8.data(), length, nullptr, nullptr);
}

}  // namespace blindfold::win32
