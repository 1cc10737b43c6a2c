#pragma once

#include <cstdint>
#include <functional>

namespace blindfold {

// A top-level window of any program, named by its 32-bit handle. Handles of
// windows are guaranteed to fit in 32 bits on every Windows build, which is why
// the logic, the hidden-window record and the stored settings can all keep them
// as plain signed numbers; this type keeps them from being mixed up with other
// numbers on the way. 0 names no window.
class WindowHandle {
 public:
  constexpr WindowHandle() = default;
  constexpr explicit WindowHandle(std::int32_t value) : value_(value) {}

  constexpr std::int32_t Value() const { return value_; }
  constexpr explicit operator bool() const { return value_ != 0; }
  friend constexpr auto operator<=>(WindowHandle, WindowHandle) = default;

 private:
  std::int32_t value_ = 0;
};

}  // namespace blindfold

template <>
struct std::hash<blindfold::WindowHandle> {
  std::size_t operator()(blindfold::WindowHandle window) const noexcept {
    return std::hash<std::int32_t>{}(window.Value());
  }
};
