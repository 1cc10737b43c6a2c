#include "platform/kwin/kwin_desktop.h"

#include <glib/gstdio.h>
#include <unistd.h>

#include <algorithm>
#include <unordered_set>

#include "core/log.h"
#include "platform/x11/window_rules.h"

namespace blindfold::kwin {

namespace {

constexpr const char* kIntrospection = R"(<node>
  <interface name="example.blindfold.KWin">
    <method name="Windows"><arg type="s" name="json" direction="in"/></method>
    <method name="Next"><arg type="s" name="json" direction="out"/></method>
    <method name="Pressed"><arg type="s" name="name" direction="in"/></method>
  </interface>
</node>)";

// Inside D-Bus's 25 seconds, as the script expects.
constexpr guint kPollAnswerSeconds = 20;
constexpr const char* kPlugin = "blindfold";

// What the script makes of a window it is asked to hide or show, assumed
// until its next report tells.
void Assume(KWinWindow& window, bool hidden) {
  window.hiddenByBlindfold = window.minimized = hidden;
  if (hidden) window.active = false;
}

// Out of sight: hidden by the script and not brought back by the user since.
// A panel, which cannot be minimised, is hidden by its opacity.
bool OutOfSight(const KWinWindow& window) {
  return window.hiddenByBlindfold && (window.minimized || window.dock);
}

// A call to KWin at start, answered in a moment or never.
GVariant* CallKWin(GDBusConnection* bus, const char* service, const char* path, const char* interfaceName,
                   const char* method, GVariant* parameters, const GVariantType* reply, std::string& problem) {
  GError* error = nullptr;
  GVariant* result = g_dbus_connection_call_sync(bus, service, path, interfaceName, method, parameters, reply,
                                                 G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
  if (!result) {
    problem = error ? error->message : "no answer";
    if (error) g_error_free(error);
  }
  return result;
}

}  // namespace

KWinBridge::KWinBridge(const std::string& sessionKey)
    : service_("example.blindfold.KWin." + (sessionKey.empty() ? std::string("session") : x11::BusNameElement(sessionKey))) {}

KWinBridge::~KWinBridge() {
  // What was asked last (the shows at the end of a run) reaches the script
  // before Blindfold is gone: it asks again within a moment of each answer.
  const gint64 until = g_get_monotonic_time() + 2 * G_USEC_PER_SEC;
  while (bus_ && !requests_.empty() && g_get_monotonic_time() < until) {
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(10000);
  }
  if (heldPoll_) AnswerHeldPoll();
  if (pollTimer_) g_source_remove(pollTimer_);
  if (name_) g_bus_unown_name(name_);
  if (registration_) g_dbus_connection_unregister_object(bus_, registration_);
  if (bus_) {
    g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
    g_object_unref(bus_);
  }
}

bool KWinBridge::Start(const std::string& scriptFile, const std::string& runtimeFolder, int waitMs, bool takeOver,
                       std::string& problem) {
  GError* error = nullptr;
  bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (!bus_) {
    problem = error ? error->message : "no session bus";
    if (error) g_error_free(error);
    return false;
  }
  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
  static const GDBusInterfaceVTable kVTable = {&KWinBridge::OnMethodCall, nullptr, nullptr, {}};
  registration_ = g_dbus_connection_register_object(bus_, kPath, node->interfaces[0], &kVTable, this, nullptr, nullptr);
  g_dbus_node_info_unref(node);
  // The rescue (--restore) takes the name over from a Blindfold that stopped
  // answering: the script follows the name to its new owner.
  name_ = g_bus_own_name_on_connection(
      bus_, service_.c_str(),
      static_cast<GBusNameOwnerFlags>(G_BUS_NAME_OWNER_FLAGS_ALLOW_REPLACEMENT |
                                      (takeOver ? G_BUS_NAME_OWNER_FLAGS_REPLACE : 0)),
      nullptr, nullptr, nullptr, nullptr);

  // The script lives as long as KWin: one loaded by a Blindfold before this
  // one finds this one on the bus by itself. Started with the session,
  // Blindfold may come before KWin's scripting does.
  const gint64 until = g_get_monotonic_time() + static_cast<gint64>(waitMs) * 1000;
  GVariant* loaded = nullptr;
  while (!(loaded = CallKWin(bus_, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "isScriptLoaded",
                             g_variant_new("(s)", kPlugin), G_VARIANT_TYPE("(b)"), problem)) &&
         g_get_monotonic_time() < until) {
    g_usleep(200000);
  }
  if (!loaded) return false;
  gboolean isLoaded = FALSE;
  g_variant_get(loaded, "(b)", &isLoaded);
  g_variant_unref(loaded);
  if (!isLoaded) {
    gchar* text = nullptr;
    gsize length = 0;
    if (!g_file_get_contents(scriptFile.c_str(), &text, &length, nullptr)) {
      problem = "the KWin script " + scriptFile + " is missing";
      return false;
    }
    const std::string script = ScriptText({text, length}, service_, kPath, kInterface);
    g_free(text);
    g_mkdir_with_parents(runtimeFolder.c_str(), 0700);
    const std::string file = runtimeFolder + "/" + service_ + ".js";
    if (!g_file_set_contents(file.c_str(), script.c_str(), static_cast<gssize>(script.size()), nullptr)) {
      problem = "cannot write " + file;
      return false;
    }
    GVariant* number = CallKWin(bus_, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "loadScript",
                                g_variant_new("(ss)", file.c_str(), kPlugin), G_VARIANT_TYPE("(i)"), problem);
    if (!number) return false;
    gint32 id = -1;
    g_variant_get(number, "(i)", &id);
    g_variant_unref(number);
    if (id < 0) {
      problem = "KWin did not take the script";
      return false;
    }
    const std::string path = "/" + std::to_string(id);
    GVariant* ran = CallKWin(bus_, "org.kde.KWin", path.c_str(), "org.kde.kwin.Script", "run", nullptr, nullptr,
                             problem);
    if (!ran) return false;
    g_variant_unref(ran);
  }
  while (!reported_ && g_get_monotonic_time() < until) {
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(10000);
  }
  if (!reported_) problem = "the KWin script did not report";
  return reported_;
}

KWinWindow* KWinBridge::Find(WindowHandle handle) {
  if (!handle) return nullptr;
  const auto found = std::ranges::find(windows_, handle, &KWinWindow::handle);
  return found == windows_.end() ? nullptr : &*found;
}

void KWinBridge::Send(Request request) {
  requests_.push_back(std::move(request));
  if (heldPoll_) AnswerHeldPoll();
}

void KWinBridge::AnswerHeldPoll() {
  const std::vector<Request> requests(requests_.begin(), requests_.end());
  requests_.clear();
  g_dbus_method_invocation_return_value(heldPoll_, g_variant_new("(s)", RequestsJson(requests).c_str()));
  heldPoll_ = nullptr;
  if (pollTimer_) g_source_remove(pollTimer_);
  pollTimer_ = 0;
}

void KWinBridge::OnMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                              GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
  auto* self = static_cast<KWinBridge*>(data);
  const std::string name = method;
  if (name == "Next") {
    // A newer poll stands for the script now: the older one gets nothing.
    if (self->heldPoll_) {
      g_dbus_method_invocation_return_value(self->heldPoll_, g_variant_new("(s)", "[]"));
      self->heldPoll_ = nullptr;
      if (self->pollTimer_) g_source_remove(self->pollTimer_);
      self->pollTimer_ = 0;
    }
    self->heldPoll_ = invocation;
    if (!self->requests_.empty()) return self->AnswerHeldPoll();
    self->pollTimer_ = g_timeout_add_seconds(
        kPollAnswerSeconds,
        [](gpointer bridge) -> gboolean {
          auto* owner = static_cast<KWinBridge*>(bridge);
          owner->pollTimer_ = 0;
          if (owner->heldPoll_) owner->AnswerHeldPoll();
          return G_SOURCE_REMOVE;
        },
        self);
    return;
  }
  const gchar* text = nullptr;
  g_variant_get(parameters, "(&s)", &text);
  const std::string argument = text ? text : "";
  g_dbus_method_invocation_return_value(invocation, nullptr);
  if (name == "Windows") {
    self->Report(argument);
  } else if (name == "Pressed") {
    const auto found = self->pressed_.find(argument);
    if (found != self->pressed_.end() && found->second) found->second();
  }
}

void KWinBridge::Report(const std::string& json) {
  std::optional<std::vector<KWinWindow>> windows = ReadWindowList(json);
  if (!windows) {
    log::Warning("kwin", "the script's window list could not be read");
    return;
  }
  std::unordered_set<std::string> known;
  for (const KWinWindow& window : windows_) known.insert(window.id);
  std::vector<std::string> newIds;
  for (const KWinWindow& window : *windows) {
    if (!known.contains(window.id)) newIds.push_back(window.id);
  }
  windows_ = std::move(*windows);
  // What was asked and not yet done still stands: the list may be older.
  for (const Request& request : requests_) {
    for (KWinWindow& window : windows_) {
      if (window.id != request.id) continue;
      if (request.op != Request::Op::Activate) Assume(window, request.op == Request::Op::Hide);
    }
  }
  reported_ = true;
  if (onReport_) onReport_(newIds);
}

// kglobalaccel leaves out, without a word, keys another shortcut holds: what
// it keeps is read back.
bool KWinBridge::SetShortcutKeys(const std::string& name, std::optional<int> qtKey) {
  if (!bus_) return false;
  const auto action = [&name] {
    GVariantBuilder parts;
    g_variant_builder_init(&parts, G_VARIANT_TYPE("as"));
    for (const char* part : {"kwin", name.c_str(), "KWin", name.c_str()}) g_variant_builder_add(&parts, "s", part);
    return g_variant_builder_end(&parts);
  };
  GVariantBuilder keys;
  g_variant_builder_init(&keys, G_VARIANT_TYPE("ai"));
  if (qtKey) g_variant_builder_add(&keys, "i", *qtKey);
  std::string problem;
  GVariant* reply = CallKWin(bus_, "org.kde.kglobalaccel", "/kglobalaccel", "org.kde.KGlobalAccel",
                             "setForeignShortcut", g_variant_new("(@asai)", action(), &keys), nullptr, problem);
  if (!reply) {
    log::Warning("kwin", "the keys of \"", name, "\" were not set: ", problem);
    return false;
  }
  g_variant_unref(reply);
  if (!qtKey) return true;
  GVariant* kept = CallKWin(bus_, "org.kde.kglobalaccel", "/kglobalaccel", "org.kde.KGlobalAccel", "shortcut",
                            g_variant_new("(@as)", action()), G_VARIANT_TYPE("(ai)"), problem);
  if (!kept) return false;
  GVariantIter* iter = nullptr;
  g_variant_get(kept, "(ai)", &iter);
  bool held = false;
  gint32 key = 0;
  while (g_variant_iter_next(iter, "i", &key)) held = held || key == *qtKey;
  g_variant_iter_free(iter);
  g_variant_unref(kept);
  return held;
}

void KWinWindowManager::EnumWindows(const std::function<bool(WindowHandle)>& visit) {
  std::vector<WindowHandle> handles;
  for (const KWinWindow& window : bridge_.Windows()) handles.push_back(window.handle);
  for (const WindowHandle handle : handles) {
    if (!visit(handle)) return;
  }
}

WindowState KWinWindowManager::State(WindowHandle handle) {
  const KWinWindow* window = bridge_.Find(handle);
  if (!window) return {};
  WindowRole role = WindowRole::Normal;
  if (window->dock) role = WindowRole::Taskbar;
  if (window->desktop) role = WindowRole::Desktop;
  return WindowState{window->transientFor, !OutOfSight(*window), true, role};
}

bool KWinWindowManager::IsWindowVisible(WindowHandle handle) {
  const KWinWindow* window = bridge_.Find(handle);
  return window && !OutOfSight(*window);
}

int KWinWindowManager::WindowTextLength(WindowHandle handle) {
  const KWinWindow* window = bridge_.Find(handle);
  return window ? x11::CountCharacters(x11::TextThroughBuffer(window->caption, 1 << 30)) : 0;
}

std::string KWinWindowManager::WindowText(WindowHandle handle, int bufferChars) {
  const KWinWindow* window = bridge_.Find(handle);
  return window ? x11::TextThroughBuffer(window->caption, bufferChars) : std::string();
}

std::string KWinWindowManager::ClassName(WindowHandle handle, int bufferChars) {
  const KWinWindow* window = bridge_.Find(handle);
  return window ? x11::TextThroughBuffer(window->resourceClass, bufferChars) : std::string();
}

std::uint32_t KWinWindowManager::ProcessId(WindowHandle handle) {
  if (handle == kThisProgram) return static_cast<std::uint32_t>(getpid());
  const KWinWindow* window = bridge_.Find(handle);
  return window ? window->pid : 0;
}

bool KWinWindowManager::IsMinimised(WindowHandle handle) {
  const KWinWindow* window = bridge_.Find(handle);
  return window && window->minimized && !window->hiddenByBlindfold;
}

WindowHandle KWinWindowManager::ForegroundWindow() {
  for (const KWinWindow& window : bridge_.Windows()) {
    if (window.active && !OutOfSight(window)) return window.handle;
  }
  return WindowHandle();
}

WindowHandle KWinWindowManager::FirstWindowOf(std::uint32_t pid) {
  for (const KWinWindow& window : bridge_.Windows()) {
    if (window.pid == pid) return window.handle;
  }
  return kThisProgram;
}

bool KWinWindowManager::Activate(WindowHandle handle) {
  const KWinWindow* window = bridge_.Find(handle);
  if (!window || OutOfSight(*window)) return false;
  bridge_.Send({Request::Op::Activate, window->id, true});
  return true;
}

// The list answers at once as if the script had done it: it does, in a moment.
// A window brought back by the user while hidden is hidden again by the same
// request; the script keeps what it had before the first.
bool KWinWindowManager::ShowWindowAsync(WindowHandle handle, std::int32_t showCmd) {
  KWinWindow* window = bridge_.Find(handle);
  if (!window) return false;
  const bool hide = showCmd == kShowCmdHide;
  // A show is sent even when the list says the window is not hidden: the list
  // may be older than the hide. The script ignores a show of a window it did
  // not hide.
  Assume(*window, hide);
  const std::string id = window->id;
  bridge_.Send({hide ? Request::Op::Hide : Request::Op::Show, id, showCmd == kShowCmdShow});
  log::Info(hide ? "hide" : "show", "KWin window ", id);
  return true;
}

bool KWinWindowManager::HiddenByThisProgram(WindowHandle handle) {
  const KWinWindow* window = bridge_.Find(handle);
  return window && window->hiddenByBlindfold;
}

KWinHotkey::KWinHotkey(KWinBridge& bridge, std::string scriptName, std::string shortcutName)
    : bridge_(bridge), shortcutName_(std::move(shortcutName)) {
  bridge_.SetOnPressed(scriptName, [this] {
    if (armed_ && onPressed_) onPressed_();
  });
}

HotkeyArmResult KWinHotkey::Arm(const HotkeyCombination& combination) {
  const std::optional<int> key = QtKeyOf(combination);
  if (!key) return {false, "KDE has no name for this key"};
  if (!bridge_.SetShortcutKeys(shortcutName_, key)) return {false, "another of KDE's shortcuts holds these keys"};
  armed_ = true;
  return {true, {}};
}

void KWinHotkey::Disarm() {
  if (!armed_) return;
  armed_ = false;
  bridge_.SetShortcutKeys(shortcutName_, std::nullopt);
}

void KWinWindowWatch::Start(int intervalMs, Look look) {
  Stop();
  look_ = std::move(look);
  bridge_.SetOnReport([this](const std::vector<std::string>& newIds) {
    if (!look_) return;
    for (const std::string& id : newIds) look_(HandleOfId(id));
  });
  timer_ = g_timeout_add(
      static_cast<guint>(intervalMs),
      [](gpointer self) -> gboolean {
        static_cast<KWinWindowWatch*>(self)->look_(std::nullopt);
        return G_SOURCE_CONTINUE;
      },
      this);
}

void KWinWindowWatch::Stop() {
  if (!timer_) return;
  g_source_remove(timer_);
  timer_ = 0;
  bridge_.SetOnReport(nullptr);
  look_ = nullptr;
}

}  // namespace blindfold::kwin
