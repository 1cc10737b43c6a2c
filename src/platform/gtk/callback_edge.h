#pragma once

#include <string_view>
#include <utility>

namespace blindfold::gtk {

// What a GTK or GLib callback's body threw, told in the log; called only from
// inside a catch block.
void LogCaught(std::string_view where) noexcept;

// The edge of every GTK signal handler, GLib source and bus callback: no
// exception may cross GTK's or GLib's C frames, and glibmm ends the program on
// one that reaches it. What `call` throws becomes a line in the log; the
// guards on the way have put the program's flags back, and the callback
// answers as one that did nothing.
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

// For the end-to-end tests alone, which need a handler that throws in the real
// program and have no way a user could make one throw: BLINDFOLD_TEST_THROW
// names the points ("show", "click", separated by commas) that throw, each
// the first time it is reached once the main loop runs.
void ThrowWhenTestAsks(std::string_view point);

// The program's last words on any fatal path: a fatal signal (an abort, a
// crash, GLib's breakpoint on a fatal error), a fatal GLib message, an
// exception that glibmm caught where no edge did. `lastWords` shows the
// hidden windows; it runs once, before the program dies.
void SayLastWordsOnEveryFatalPath(void (*lastWords)());

}  // namespace blindfold::gtk
