#pragma once

#include <string>
#include <string_view>

namespace blindfold::win32 {

// The logic speaks UTF-8, the platform UTF-16. Invalid sequences either way
// become U+FFFD rather than failing.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
// Converts into `utf8` itself, so that a secret leaves no copy behind in a
// temporary (a short string lives inside the string object, where no one
// wipes it).
void NarrowInto(std::wstring_view utf16, std::string& utf8);

}  // namespace blindfold::win32
