#pragma once

#include "platform/unique_handle.h"

namespace blindfold::win32 {

using blindfold::UniqueHandle;

// A COM interface pointer, released when done.
template <class Interface>
struct ComTraits {
  using Handle = Interface*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle object) { object->Release(); }
};

}  // namespace blindfold::win32
