#pragma once

#include <X11/Xlib.h>

#include <cstdint>

#include "core/unique_handle.h"
#include "core/window_handle.h"

// Small tools of the X11 window manager's files: a handle and its X window,
// and what Xlib hands over to be freed.
namespace blindfold::x11 {

// The logic's handle is the X window id, which the X protocol keeps within 29 bits.
inline ::Window ToWindow(WindowHandle handle) {
  return static_cast<::Window>(static_cast<std::uint32_t>(handle.Value()));
}
inline WindowHandle ToHandle(::Window window) {
  return WindowHandle(static_cast<std::int32_t>(static_cast<std::uint32_t>(window)));
}

// The window's attributes; false when it has gone (or is None).
inline bool Attributes(Display* display, ::Window window, XWindowAttributes& attributes) {
  return window != None && XGetWindowAttributes(display, window, &attributes) != 0;
}

struct XFreeTraits {
  using Handle = void*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle data) { XFree(data); }
};
using XFreed = UniqueHandle<XFreeTraits>;

}  // namespace blindfold::x11
