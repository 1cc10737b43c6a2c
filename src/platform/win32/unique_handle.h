#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "core/unique_handle.h"

namespace blindfold::win32 {

using blindfold::UniqueHandle;

// A COM interface pointer, released when done.
template <class Interface>
struct ComTraits {
  using Handle = Interface*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle object) { object->Release(); }
};

// A window of our own, destroyed with its owner.
struct WindowTraits {
  using Handle = HWND;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle window) { DestroyWindow(window); }
};

struct FontTraits {
  using Handle = HFONT;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle font) { DeleteObject(font); }
};

struct BrushTraits {
  using Handle = HBRUSH;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle brush) { DeleteObject(brush); }
};

struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle icon) { DestroyIcon(icon); }
};

struct MenuTraits {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle menu) { DestroyMenu(menu); }
};

struct KeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle key) { RegCloseKey(key); }
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

// Files say that they could not be opened with INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

// A winmm mixer; winmm is loaded when first used, so closing goes through the
// loaded library.
struct MixerTraits {
  using Handle = HMIXER;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle mixer);
};

// A BCrypt algorithm provider; BCrypt is loaded when first used, so closing
// goes through the loaded library.
struct AlgorithmTraits {
  using Handle = void*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle algorithm);
};

using UniqueKey = UniqueHandle<KeyTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;

}  // namespace blindfold::win32
