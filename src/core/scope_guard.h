#pragma once

#include <utility>

namespace blindfold {

// Runs `undo` when the scope ends, however it ends: a flag or a counter set
// around a call is put back even when the call throws, so that no exception
// leaves the program thinking it is still inside that call.
template <class Undo>
class [[nodiscard]] ScopeExit {
 public:
  explicit ScopeExit(Undo undo) : undo_(std::move(undo)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() { undo_(); }

 private:
  Undo undo_;
};

// `value` holds `during` for as long as the scope lasts, and what it held
// before once it ends.
template <class T>
[[nodiscard]] auto HoldWhile(T& value, T during) {
  T before = std::exchange(value, std::move(during));
  return ScopeExit([&value, before = std::move(before)]() mutable { value = std::move(before); });
}

// `counter` counts one more for as long as the scope lasts.
template <class T>
[[nodiscard]] auto CountWhile(T& counter) {
  ++counter;
  return ScopeExit([&counter] { --counter; });
}

}  // namespace blindfold
