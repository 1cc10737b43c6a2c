#pragma once

#include <glib-object.h>
#include <glib.h>
#include <unistd.h>

#include "core/unique_handle.h"

// The handles of the Linux doors' system calls and of GLib, each closed the
// one way its maker wants: UniqueHandle<Traits> for every one of them.
namespace blindfold::linux_desktop {

struct FileDescriptorTraits {
  using Handle = int;
  static Handle Invalid() { return -1; }
  static void Close(Handle fd) { close(fd); }
};
using UniqueFileDescriptor = UniqueHandle<FileDescriptorTraits>;

struct GFreeTraits {
  using Handle = gchar*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle text) { g_free(text); }
};
using UniqueGString = UniqueHandle<GFreeTraits>;

struct StrvTraits {
  using Handle = gchar**;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle list) { g_strfreev(list); }
};
using UniqueStrv = UniqueHandle<StrvTraits>;

struct ErrorTraits {
  using Handle = GError*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle error) { g_error_free(error); }
};
using UniqueError = UniqueHandle<ErrorTraits>;

struct KeyFileTraits {
  using Handle = GKeyFile*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle file) { g_key_file_unref(file); }
};
using UniqueKeyFile = UniqueHandle<KeyFileTraits>;

// Any GObject this program holds the one reference of.
template <typename Object>
struct GObjectTraits {
  using Handle = Object*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle object) { g_object_unref(object); }
};
template <typename Object>
using UniqueGObject = UniqueHandle<GObjectTraits<Object>>;

}  // namespace blindfold::linux_desktop
