#pragma once

#include <string_view>

#include "platform/linux/callback_edge.h"

namespace blindfold::gtk {

// The edge every callback goes through is the Linux doors' own.
using linux_desktop::AtTheEdge;
using linux_desktop::LogCaught;

// For the end-to-end tests alone, which need a handler that throws in the real
// program and have no way a user could make one throw: BLINDFOLD_TEST_THROW
// names the points ("show", "click", separated by commas) that throw, each
// the first time it is reached once the main loop runs.
void ThrowWhenTestAsks(std::string_view point);

// The program's last words on any fatal path: a fatal signal (an abort, a
// crash, GLib's breakpoint on a fatal error), a fatal GLib message, an
// exception that glibmm caught where no edge did. `lastWords` shows the
// hidden windows; it runs once, before the program dies. The edges name
// glibmm's errors from then on.
void SayLastWordsOnEveryFatalPath(void (*lastWords)());

}  // namespace blindfold::gtk
