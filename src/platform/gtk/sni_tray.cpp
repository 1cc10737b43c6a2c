#include "platform/gtk/sni_tray.h"

#include <unistd.h>

#include "core/log.h"
#include "platform/gtk/callback_edge.h"
#include "platform/gtk/gtk_panel.h"

namespace blindfold::gtk {

using linux_desktop::UniqueError;
using linux_desktop::UniqueNodeInfo;
using linux_desktop::UniqueVariant;

namespace {

constexpr const char* kPath = "/StatusNotifierItem";
constexpr const char* kInterface = "org.kde.StatusNotifierItem";
constexpr const char* kIntrospection = R"xml(<node>
  <interface name="org.kde.StatusNotifierItem">
    <property name="Category" type="s" access="read"/>
    <property name="Id" type="s" access="read"/>
    <property name="Title" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="WindowId" type="i" access="read"/>
    <property name="IconName" type="s" access="read"/>
    <property name="IconPixmap" type="a(iiay)" access="read"/>
    <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
    <property name="ItemIsMenu" type="b" access="read"/>
    <property name="Menu" type="o" access="read"/>
    <method name="Activate"><arg type="i" direction="in"/><arg type="i" direction="in"/></method>
    <method name="SecondaryActivate"><arg type="i" direction="in"/><arg type="i" direction="in"/></method>
    <method name="ContextMenu"><arg type="i" direction="in"/><arg type="i" direction="in"/></method>
    <method name="Scroll"><arg type="i" direction="in"/><arg type="s" direction="in"/></method>
    <signal name="NewTitle"/>
    <signal name="NewIcon"/>
    <signal name="NewToolTip"/>
    <signal name="NewStatus"><arg type="s"/></signal>
  </interface>
</node>)xml";

}  // namespace

StatusNotifierArea::~StatusNotifierArea() {
  Withdraw();
  if (watch_) g_bus_unwatch_name(watch_);
}

bool StatusNotifierArea::AddIcon(const TrayIcon& icon) {
  if (!icon.window) return false;
  wanted_ = true;
  const bool retitled = tip_ != icon.tip;
  tip_ = icon.tip;
  if (registration_) {
    Emit("NewIcon");
    if (retitled) {
      Emit("NewTitle");
      Emit("NewToolTip");
    }
    return true;
  }
  return Publish() && Register();
}

bool StatusNotifierArea::DeleteIcon(const TrayIcon&) {
  wanted_ = false;
  Withdraw();
  return true;
}

// The item's object and name on the bus, and a watch for the host's watcher,
// whose coming (a desktop starting, or started again) takes the icon in.
bool StatusNotifierArea::Publish() {
  if (!bus_) {
    bus_.Reset(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    if (!bus_) return false;
    watch_ = g_bus_watch_name_on_connection(
        bus_.Get(), kWatcher, G_BUS_NAME_WATCHER_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, gpointer self) {
          AtTheEdge("the tray's watcher came", [self] {
            auto* area = static_cast<StatusNotifierArea*>(self);
            if (area->wanted_ && area->Publish()) area->Register();
          });
        },
        nullptr, this, nullptr);
  }
  if (registration_) return true;
  const UniqueNodeInfo node(g_dbus_node_info_new_for_xml(kIntrospection, nullptr));
  static const GDBusInterfaceVTable kVTable = {&StatusNotifierArea::OnMethodCall, &StatusNotifierArea::OnGetProperty,
                                              nullptr, {}};
  registration_ =
      g_dbus_connection_register_object(bus_.Get(), kPath, node.Get()->interfaces[0], &kVTable, this, nullptr, nullptr);
  if (!registration_) return false;
  name_ = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-1";
  owner_ = g_bus_own_name_on_connection(bus_.Get(), name_.c_str(), G_BUS_NAME_OWNER_FLAGS_NONE, nullptr, nullptr, nullptr,
                                        nullptr);
  return true;
}

bool StatusNotifierArea::Register() {
  UniqueError error;
  const UniqueVariant reply(g_dbus_connection_call_sync(
      bus_.Get(), kWatcher, "/StatusNotifierWatcher", kWatcher, "RegisterStatusNotifierItem",
      g_variant_new("(s)", name_.c_str()), nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, 2000, nullptr, error.Put()));
  if (!reply) {
    log::Info("tray", "no StatusNotifierItem host: ", error ? error.Get()->message : "no answer");
    return false;
  }
  return true;
}

void StatusNotifierArea::Withdraw() {
  if (owner_) g_bus_unown_name(owner_);
  owner_ = 0;
  if (registration_) g_dbus_connection_unregister_object(bus_.Get(), registration_);
  registration_ = 0;
}

void StatusNotifierArea::Emit(const char* signal) {
  g_dbus_connection_emit_signal(bus_.Get(), nullptr, kPath, kInterface, signal, nullptr, nullptr);
}

// ARGB32 in network byte order, at the sizes hosts draw.
GVariant* StatusNotifierArea::Pixmaps() {
  GVariantBuilder pixmaps;
  g_variant_builder_init(&pixmaps, G_VARIANT_TYPE("a(iiay)"));
  for (const int size : {16, 22, 32, 48, 64}) {
    const Glib::RefPtr<Gdk::Pixbuf> picture = panel_.Icon(size);
    if (!picture) continue;
    const Glib::RefPtr<Gdk::Pixbuf> rgba =
        picture->get_has_alpha() ? picture : picture->add_alpha(false, 0, 0, 0);
    const int width = rgba->get_width();
    const int height = rgba->get_height();
    const int stride = rgba->get_rowstride();
    const guint8* pixels = rgba->get_pixels();
    GVariantBuilder bytes;
    g_variant_builder_init(&bytes, G_VARIANT_TYPE("ay"));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const guint8* pixel = pixels + y * stride + x * 4;
        for (const guint8 byte : {pixel[3], pixel[0], pixel[1], pixel[2]}) g_variant_builder_add(&bytes, "y", byte);
      }
    }
    g_variant_builder_add(&pixmaps, "(iiay)", width, height, &bytes);
  }
  return g_variant_builder_end(&pixmaps);
}

// A property the tray host asks for; none, which GDBus answers as an error,
// when the answer could not be made.
GVariant* StatusNotifierArea::OnGetProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                            const gchar* property, GError**, gpointer data) {
  return AtTheEdge("the tray host's question", static_cast<GVariant*>(nullptr),
                   [&] { return static_cast<StatusNotifierArea*>(data)->Property(property); });
}

GVariant* StatusNotifierArea::Property(const std::string& name) {
  if (name == "Category") return g_variant_new_string("ApplicationStatus");
  if (name == "Id") return g_variant_new_string("blindfold");
  if (name == "Title") return g_variant_new_string(tip_.c_str());
  if (name == "Status") return g_variant_new_string("Active");
  if (name == "WindowId") return g_variant_new_int32(0);
  if (name == "IconName") return g_variant_new_string("");
  if (name == "IconPixmap") return Pixmaps();
  if (name == "ItemIsMenu") return g_variant_new_boolean(FALSE);
  if (name == "Menu") return g_variant_new_object_path("/NO_DBUSMENU");
  if (name == "ToolTip") {
    GVariantBuilder none;
    g_variant_builder_init(&none, G_VARIANT_TYPE("a(iiay)"));
    return g_variant_new("(sa(iiay)ss)", "", &none, tip_.c_str(), "");
  }
  return nullptr;
}

void StatusNotifierArea::OnMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                      const gchar* method, GVariant*, GDBusMethodInvocation* invocation,
                                      gpointer data) {
  auto* self = static_cast<StatusNotifierArea*>(data);
  g_dbus_method_invocation_return_value(invocation, nullptr);
  AtTheEdge("the tray host's click", [&] {
    const std::string name = method;
    if (name == "Activate") self->Gesture(TrayGesture::LeftDown, TrayGesture::LeftUp);
    if (name == "SecondaryActivate") self->Gesture(TrayGesture::MiddleDown, TrayGesture::MiddleUp);
    if (name == "ContextMenu") self->Gesture(TrayGesture::RightDown, TrayGesture::RightUp);
  });
}

void StatusNotifierArea::Gesture(TrayGesture down, TrayGesture up) {
  if (events_) events_->Gestured(down);
  if (events_) events_->Gestured(up);
}

}  // namespace blindfold::gtk
