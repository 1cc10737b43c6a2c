#pragma once

#include <gio/gio.h>
#include <glib.h>

#include "core/unique_handle.h"

namespace blindfold::gtk {

// What GLib hands over to be freed, each owned as every handle of the program
// is: by a UniqueHandle whose traits name how it is let go.
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
using UniqueVariant = UniqueHandle<GlibTraits<GVariant, g_variant_unref>>;
using UniqueSource = UniqueHandle<GlibTraits<GSource, g_source_unref>>;
using UniqueNodeInfo = UniqueHandle<GlibTraits<GDBusNodeInfo, g_dbus_node_info_unref>>;
using UniqueBus = UniqueHandle<GlibTraits<GDBusConnection, g_object_unref>>;

}  // namespace blindfold::gtk
