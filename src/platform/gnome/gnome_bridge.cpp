#include "platform/gnome/gnome_bridge.h"

#include <sys/random.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "core/log.h"
#include "platform/linux/callback_edge.h"
#include "platform/linux/glib_handles.h"

namespace blindfold::gnome {

namespace {

// The Shell answers within a moment, or is too busy to be waited for.
constexpr int kCallTimeoutMs = 3000;
// How long a Shell that answers is given to load its extensions.
constexpr gint64 kExtensionWaitUs = 3 * G_USEC_PER_SEC;
constexpr std::string_view kWindowKey = "window ";

std::string WindowKey(const std::string& id) { return std::string(kWindowKey) + id; }

// What tells this Blindfold to the extension: chosen at random once per
// session and kept in the record, which only this user can read.
std::string NewToken() {
  unsigned char bytes[16] = {};
  std::size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t read = getrandom(bytes + got, sizeof bytes - got, 0);
    if (read <= 0) break;
    got += static_cast<std::size_t>(read);
  }
  std::string token;
  for (const unsigned char byte : bytes) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", byte);
    token += hex;
  }
  return token;
}

bool ErrorIs(const GError* error, GDBusError code) {
  return error && g_error_matches(error, G_DBUS_ERROR, code);
}

}  // namespace

GnomeBridge::GnomeBridge(const std::string& sessionKey)
    : record_(linux_desktop::DoorRecord::PathFor("gnome", sessionKey.empty() ? std::string("session") : sessionKey)) {}

GnomeBridge::~GnomeBridge() {
  if (!bus_) return;
  if (subscription_) g_dbus_connection_signal_unsubscribe(bus_, subscription_);
  // The extension frees this Blindfold's keys once its connection has gone.
  g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
  g_object_unref(bus_);
}

bool GnomeBridge::Start(int waitMs, bool rescue, std::string& problem, bool& extensionMissing) {
  rescue_ = rescue;
  extensionMissing = false;
  bus_ = linux_desktop::SessionBus(problem);
  if (!bus_) return false;
  subscription_ = g_dbus_connection_signal_subscribe(bus_, kService, kInterface, nullptr, kPath, nullptr,
                                                     G_DBUS_SIGNAL_FLAGS_NONE, &GnomeBridge::OnSignal, this, nullptr);
  // Started with the session, Blindfold may come before the Shell, or before
  // the Shell has loaded its extensions.
  const gint64 until = g_get_monotonic_time() + static_cast<gint64>(waitMs) * 1000;
  gint64 shellAnswered = 0;
  while (!Register(problem, extensionMissing)) {
    const gint64 now = g_get_monotonic_time();
    if (extensionMissing && !shellAnswered) shellAnswered = now;
    if (now >= until || (shellAnswered && now >= shellAnswered + kExtensionWaitUs)) return false;
    g_usleep(200000);
  }
  Refresh();
  return true;
}

bool GnomeBridge::Register(std::string& problem, bool& extensionMissing) {
  std::string token = record_.Get("token").value_or("");
  if (token.empty()) {
    token = NewToken();
    record_.Put("token", token);
  }
  GError* error = nullptr;
  GVariant* reply = CallOnce("Register", g_variant_new("(sb)", token.c_str(), rescue_), G_VARIANT_TYPE("(s)"), &error);
  extensionMissing = ErrorIs(error, G_DBUS_ERROR_UNKNOWN_METHOD) || ErrorIs(error, G_DBUS_ERROR_UNKNOWN_OBJECT) ||
                     ErrorIs(error, G_DBUS_ERROR_UNKNOWN_INTERFACE);
  if (!reply) {
    if (ErrorIs(error, G_DBUS_ERROR_ACCESS_DENIED)) {
      problem = "another Blindfold is registered with its GNOME Shell extension";
    } else if (extensionMissing) {
      problem = "its GNOME Shell extension does not answer";
    } else {
      problem = std::string("GNOME Shell does not answer: ") + (error ? error->message : "no reply");
    }
    if (error) g_error_free(error);
    return false;
  }
  // Signals count only from the Shell's own connection: a unicast signal
  // from another program may pass a subscription by the Shell's name.
  if (GVariant* owner = g_dbus_connection_call_sync(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                    "org.freedesktop.DBus", "GetNameOwner",
                                                    g_variant_new("(s)", kService), G_VARIANT_TYPE("(s)"),
                                                    G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, nullptr)) {
    const gchar* name = nullptr;
    g_variant_get(owner, "(&s)", &name);
    shellOwner_ = name ? name : "";
    g_variant_unref(owner);
  }
  const gchar* run = nullptr;
  g_variant_get(reply, "(&s)", &run);
  // Ids of another run of the Shell name other windows, or none.
  if (record_.Get("run") != std::string(run ? run : "")) {
    ForgetRecordedWindows({});
    record_.Put("run", run ? run : "");
  }
  g_variant_unref(reply);
  return true;
}

GVariant* GnomeBridge::CallOnce(const char* method, GVariant* parameters, const GVariantType* reply,
                                GError** error) {
  return g_dbus_connection_call_sync(bus_, kService, kPath, kInterface, method, parameters, reply,
                                     G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, error);
}

GVariant* GnomeBridge::Call(const char* method, GVariant* parameters, const GVariantType* reply) {
  // A Shell that did not answer is asked again at the next walk over the
  // windows, not once per window of this one: each would wait its time out.
  const bool listing = std::string_view(method) == "Windows";
  if (!bus_ || (!reachable_ && !listing)) {
    if (parameters) g_variant_unref(g_variant_ref_sink(parameters));
    return nullptr;
  }
  if (parameters) g_variant_ref_sink(parameters);
  GError* error = nullptr;
  GVariant* result = CallOnce(method, parameters, reply, &error);
  // Disabled and enabled again, the extension has forgotten this Blindfold
  // and its keys.
  if (!result && ErrorIs(error, G_DBUS_ERROR_ACCESS_DENIED)) {
    g_clear_error(&error);
    std::string problem;
    bool missing = false;
    if (Register(problem, missing)) {
      for (const auto& [name, accelerator] : keys_) {
        if (GVariant* bound = CallOnce("SetKey", g_variant_new("(ss)", name.c_str(), accelerator.c_str()),
                                       G_VARIANT_TYPE("(b)"), nullptr)) {
          g_variant_unref(bound);
        }
      }
      result = CallOnce(method, parameters, reply, &error);
    }
  }
  if (parameters) g_variant_unref(parameters);
  reachable_ = result != nullptr;
  if (!result) {
    log::Warning("gnome", method, ": ", error ? error->message : "no answer");
    g_clear_error(&error);
  }
  return result;
}

void GnomeBridge::Refresh() {
  GVariant* reply = Call("Windows", nullptr, G_VARIANT_TYPE("(s)"));
  if (!reply) return;
  const gchar* json = nullptr;
  g_variant_get(reply, "(&s)", &json);
  std::optional<std::vector<GnomeWindow>> windows = ReadWindowList(json ? json : "");
  g_variant_unref(reply);
  if (!windows) {
    reachable_ = false;
    return;
  }
  windows_ = std::move(*windows);
  // A window closed while hidden has nothing to give back: ids are never
  // used again within the Shell's run.
  std::set<std::string> listed;
  for (const GnomeWindow& window : windows_) listed.insert(WindowKey(window.id));
  ForgetRecordedWindows(listed);
}

void GnomeBridge::ForgetRecordedWindows(const std::set<std::string>& keep) {
  std::vector<std::string> gone;
  for (const auto& [key, value] : record_.Entries()) {
    if (key.starts_with(kWindowKey) && !keep.contains(key)) gone.push_back(key);
  }
  if (!gone.empty()) record_.Remove(gone);
}

GnomeWindow* GnomeBridge::Find(WindowHandle handle) {
  const auto found = std::ranges::find(windows_, handle, &GnomeWindow::handle);
  return found == windows_.end() ? nullptr : &*found;
}

// The extension's word counts too: only it can hide a window so, and it
// keeps the set it hid for as long as the Shell runs, whatever became of the
// record.
bool GnomeBridge::HiddenByThisProgram(const GnomeWindow& window) const {
  return window.hidden || record_.Get(WindowKey(window.id)).has_value();
}

std::vector<bool> GnomeBridge::Hide(const std::vector<GnomeWindow*>& windows) {
  // The first hide's word stands: a window hidden twice was not minimised
  // by the user in between.
  std::map<std::string, std::string> first;
  std::vector<const gchar*> ids;
  for (const GnomeWindow* window : windows) {
    const std::string key = WindowKey(window->id);
    if (!record_.Get(key)) first[key] = window->minimized ? "minimized" : "shown";
    ids.push_back(window->id.c_str());
  }
  if (!first.empty()) record_.Put(first);
  ids.push_back(nullptr);
  std::vector<bool> hidden(windows.size(), false);
  GVariant* reply = Call("Hide", g_variant_new("(^as)", ids.data()), G_VARIANT_TYPE("(as)"));
  if (!reply) return hidden;
  const gchar** done = nullptr;
  g_variant_get(reply, "(^a&s)", &done);
  std::set<std::string_view> told;
  for (const gchar** id = done; id && *id; ++id) told.insert(*id);
  for (std::size_t i = 0; i < windows.size(); ++i) {
    hidden[i] = told.contains(windows[i]->id);
    if (hidden[i]) windows[i]->hidden = true;
  }
  g_free(static_cast<gpointer>(done));
  g_variant_unref(reply);
  return hidden;
}

std::vector<bool> GnomeBridge::Show(const std::vector<GnomeWindow*>& windows, const GnomeWindow* activate) {
  std::vector<bool> asked(windows.size(), false);
  GVariantBuilder shows;
  g_variant_builder_init(&shows, G_VARIANT_TYPE("a(sbb)"));
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < windows.size(); ++i) {
    const GnomeWindow& window = *windows[i];
    std::optional<std::string> was = record_.Get(WindowKey(window.id));
    if (!was && window.hidden) was = window.minimized ? "minimized" : "shown";
    if (!was) continue;
    asked[i] = true;
    keys.push_back(WindowKey(window.id));
    g_variant_builder_add(&shows, "(sbb)", window.id.c_str(), *was == "minimized", &window == activate);
  }
  if (keys.empty()) {
    g_variant_builder_clear(&shows);
    return asked;
  }
  GVariant* reply = Call("Show", g_variant_new("(a(sbb))", &shows), G_VARIANT_TYPE("(as)"));
  if (!reply) return std::vector<bool>(windows.size(), false);
  g_variant_unref(reply);
  record_.Remove(keys);
  for (std::size_t i = 0; i < windows.size(); ++i) {
    if (asked[i]) windows[i]->hidden = false;
  }
  return asked;
}

bool GnomeBridge::Activate(const GnomeWindow& window) {
  GVariant* reply = Call("Activate", g_variant_new("(s)", window.id.c_str()), G_VARIANT_TYPE("(b)"));
  if (!reply) return false;
  gboolean done = FALSE;
  g_variant_get(reply, "(b)", &done);
  g_variant_unref(reply);
  return done;
}

bool GnomeBridge::SetKey(const std::string& name, const std::string& accelerator) {
  GVariant* reply = Call("SetKey", g_variant_new("(ss)", name.c_str(), accelerator.c_str()), G_VARIANT_TYPE("(b)"));
  if (!reply) return false;
  gboolean done = FALSE;
  g_variant_get(reply, "(b)", &done);
  g_variant_unref(reply);
  if (accelerator.empty()) {
    keys_.erase(name);
  } else if (done) {
    keys_[name] = accelerator;
  }
  return done;
}

void GnomeBridge::OnSignal(GDBusConnection*, const gchar* sender, const gchar*, const gchar*, const gchar* signal,
                           GVariant* parameters, gpointer data) {
  if (!sender || static_cast<GnomeBridge*>(data)->shellOwner_ != sender) return;
  linux_desktop::AtTheEdge("a signal of the GNOME Shell extension",
                           [&] { static_cast<GnomeBridge*>(data)->Heard(signal, parameters); });
}

void GnomeBridge::Heard(std::string_view name, GVariant* parameters) {
  if (name == "Pressed" && g_variant_is_of_type(parameters, G_VARIANT_TYPE("(s)"))) {
    const gchar* key = nullptr;
    g_variant_get(parameters, "(&s)", &key);
    const auto found = pressed_.find(key ? key : "");
    if (found != pressed_.end() && found->second) found->second();
  } else if (name == "Appeared" && g_variant_is_of_type(parameters, G_VARIANT_TYPE("(as)"))) {
    if (!onAppeared_) return;
    Refresh();
    GVariantIter* ids = nullptr;
    g_variant_get(parameters, "(as)", &ids);
    const gchar* id = nullptr;
    std::vector<WindowHandle> appeared;
    while (g_variant_iter_next(ids, "&s", &id)) appeared.push_back(HandleOfId(id));
    g_variant_iter_free(ids);
    for (const WindowHandle handle : appeared) onAppeared_(handle);
  }
}

}  // namespace blindfold::gnome
