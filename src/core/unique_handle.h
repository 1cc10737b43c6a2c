#pragma once

#include <utility>

namespace blindfold {

// Owns one OS handle. Traits give the handle type, its invalid value and how
// to close it:
//   struct Traits { using Handle = ...; static Handle Invalid(); static void Close(Handle); };
template <class Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  Handle Get() const { return handle_; }
  // For out-parameters: closes what is held and hands out the slot.
  Handle* Put() {
    Reset();
    return &handle_;
  }
  Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
  void Reset(Handle handle = Traits::Invalid()) {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = handle;
  }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }

 private:
  Handle handle_ = Traits::Invalid();
};

}  // namespace blindfold
