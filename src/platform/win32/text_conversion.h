#pragma once

#include <string>
#include <string_view>

namespace blindfold::win32 {

// The logic speaks UTF-8, the platform UTF-16. Invalid sequences either way
// become U+FFFD rather than failing.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace blindfold::win32
