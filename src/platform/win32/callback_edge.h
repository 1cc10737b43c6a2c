#pragma once

#include <exception>
#include <string_view>
#include <utility>

#include "core/log.h"

namespace blindfold::win32 {

// The edge of every window procedure, hook and timer of ours: no exception
// crosses user32's frames or the message loop. What `call` threw becomes a
// line in the log, the guards on the way have put the program's flags back,
// and the callback answers `safe`, as one that did nothing.
template <class Result, class Call>
Result AtTheEdge(std::string_view where, Result safe, Call&& call) noexcept {
  try {
    return std::forward<Call>(call)();
  } catch (const std::exception& error) {
    log::Error("win32", where, ": left undone: ", error.what());
  } catch (...) {
    log::Error("win32", where, ": left undone: an unknown exception");
  }
  return safe;
}

template <class Call>
void AtTheEdge(std::string_view where, Call&& call) noexcept {
  AtTheEdge(where, 0, [&] {
    std::forward<Call>(call)();
    return 0;
  });
}

}  // namespace blindfold::win32
