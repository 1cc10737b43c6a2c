#pragma once

#include <gio/gio.h>
#include <glib-object.h>
#include <glib.h>
#include <string>
#include <unistd.h>

#include "core/unique_handle.h"

// The handles of the Linux doors' system calls and of GLib, each owned as
// every handle of the program is: by a UniqueHandle whose traits name how it
// is let go.
namespace blindfold::linux_desktop {

struct FileDescriptorTraits {
  using Handle = int;
  static Handle Invalid() { return -1; }
  static void Close(Handle fd) { close(fd); }
};
using UniqueFileDescriptor = UniqueHandle<FileDescriptorTraits>;

// What GLib hands over to be freed, and the function that frees it.
template <class T, auto Free>
struct GlibTraits {
  using Handle = T*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { Free(handle); }
};

// Memory of GLib's own (a string, an array), let go with g_free.
template <class T>
using GlibMemory = UniqueHandle<GlibTraits<T, g_free>>;
using UniqueStrings = UniqueHandle<GlibTraits<gchar*, g_strfreev>>;
using UniqueList = UniqueHandle<GlibTraits<GList, g_list_free>>;
using UniqueError = UniqueHandle<GlibTraits<GError, g_error_free>>;
using UniqueKeyFile = UniqueHandle<GlibTraits<GKeyFile, g_key_file_unref>>;
using UniqueVariant = UniqueHandle<GlibTraits<GVariant, g_variant_unref>>;
using UniqueSource = UniqueHandle<GlibTraits<GSource, g_source_unref>>;
using UniqueNodeInfo = UniqueHandle<GlibTraits<GDBusNodeInfo, g_dbus_node_info_unref>>;
using UniqueBus = UniqueHandle<GlibTraits<GDBusConnection, g_object_unref>>;
// Any GObject this program holds the one reference of.
template <class T>
using UniqueGObject = UniqueHandle<GlibTraits<T, g_object_unref>>;

// The user's session bus, a reference of the caller's own; nothing, with
// `problem` said, where there is none.
inline GDBusConnection* SessionBus(std::string& problem) {
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (!bus) {
    problem = error ? error->message : "no session bus";
    if (error) g_error_free(error);
  }
  return bus;
}

}  // namespace blindfold::linux_desktop
