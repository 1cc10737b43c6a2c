#pragma once

#include <string>
#include <string_view>

// Texts as the Linux doors get and give them: UTF-8 counted as Windows counts
// its characters, and the names of a session.
namespace blindfold::linux_desktop {

// Characters here are Unicode code points of UTF-8 text: the counterpart of the
// UTF-16 units Windows counts.
int CountCharacters(std::string_view utf8);
// The text as a buffer of `bufferChars` characters would hold it: cut at the
// first NUL, and at bufferChars - 1 characters (never inside a character).
std::string TextThroughBuffer(std::string_view utf8, int bufferChars);

// The part of a display name that names the X server: ":0", ":0.0" and
// "unix:0" are one session, so they share one lock and one record. Slashes
// (a launchd socket path) become underscores, fit for a file name. A Wayland
// display is its socket's name ("wayland-1").
std::string SessionKeyOfDisplay(std::string_view displayName);

// A session key as one element of a name on the session bus, which holds
// letters, digits and "_" only: every other character becomes "_".
std::string BusNameElement(std::string_view key);

}  // namespace blindfold::linux_desktop
