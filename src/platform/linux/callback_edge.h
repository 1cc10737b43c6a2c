#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace blindfold::linux_desktop {

// What a callback's body threw, told in the log; called only from inside a
// catch block.
void LogCaught(std::string_view where) noexcept;

// How LogCaught names an exception that is no std::exception (a toolkit's own
// error type): `describe` rethrows the exception at hand and says what it
// holds, or nothing for one it does not know.
void DescribeOtherExceptionsWith(std::optional<std::string> (*describe)());

// The edge of every GTK signal handler, GLib source and bus callback, in every
// Linux door: no exception may cross GTK's or GLib's C frames, and glibmm ends
// the program on one that reaches it. What `call` throws becomes a line in the
// log; the guards on the way have put the program's flags back, and the
// callback answers as one that did nothing.
template <class Call>
void AtTheEdge(std::string_view where, Call&& call) noexcept {
  try {
    std::forward<Call>(call)();
  } catch (...) {
    LogCaught(where);
  }
}

// The same for a callback that answers: `safe` when `call` threw.
template <class Result, class Call>
Result AtTheEdge(std::string_view where, Result safe, Call&& call) noexcept {
  try {
    return std::forward<Call>(call)();
  } catch (...) {
    LogCaught(where);
    return safe;
  }
}

}  // namespace blindfold::linux_desktop
