#include "platform/kwin/kwin_bridge.h"

#include <glib/gstdio.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <unordered_set>

#include "core/log.h"
#include "core/texts.h"
#include "platform/linux/glib_handles.h"
#include "platform/linux/text_rules.h"

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
// The rescue's copy, beside the one of a Blindfold that may still run.
constexpr const char* kRescuePlugin = "blindfold-rescue";
// How often KWin is asked whether the script is still loaded: an unload is
// noticed within a moment, at the cost of one small call.
constexpr guint kCheckMs = 1000;
constexpr int kCheckTimeoutMs = 3000;
// Long enough for a script gone at the last moment to be loaded again.
constexpr gint64 kLastRequestsSeconds = 5;

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
    : service_("example.blindfold.KWin." +
               (sessionKey.empty() ? std::string("session") : linux_desktop::BusNameElement(sessionKey))),
      record_(linux_desktop::DoorRecord::PathFor("kwin", sessionKey.empty() ? std::string("session") : sessionKey)) {}

KWinBridge::~KWinBridge() {
  // What was asked last (the shows at the end of a run) reaches the script,
  // and is reported done, before Blindfold is gone: it asks again within a
  // moment of each answer. A script that went just before is loaded again
  // meanwhile, so that the shows are not lost with it. What is not done
  // stays in the record.
  const auto waiting = [this] { return bus_ && reported_ && (!requests_.empty() || !handed_.empty()); };
  if (waiting()) CheckScript();
  const gint64 until = g_get_monotonic_time() + kLastRequestsSeconds * G_USEC_PER_SEC;
  while (waiting() && g_get_monotonic_time() < until) {
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(10000);
  }
  if (checkTimer_) g_source_remove(checkTimer_);
  if (cancel_) g_cancellable_cancel(cancel_);
  if (heldPoll_) AnswerHeldPoll();
  if (pollTimer_) g_source_remove(pollTimer_);
  // The rescue's copy goes with it: it would talk to no one.
  if (bus_ && rescue_) {
    std::string problem;
    if (GVariant* unloaded = CallKWin(bus_, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript",
                                      g_variant_new("(s)", plugin_.c_str()), nullptr, problem)) {
      g_variant_unref(unloaded);
    }
  }
  if (kwinWatch_) g_bus_unwatch_name(kwinWatch_);
  if (name_) g_bus_unown_name(name_);
  if (registration_) g_dbus_connection_unregister_object(bus_, registration_);
  if (bus_) {
    g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
    g_object_unref(bus_);
  }
  if (cancel_) g_object_unref(cancel_);
}

bool KWinBridge::Start(const std::string& scriptFile, const std::string& runtimeFolder, int waitMs, bool rescue,
                       std::string& problem) {
  rescue_ = rescue;
  plugin_ = rescue ? kRescuePlugin : kPlugin;
  scriptFile_ = scriptFile;
  runtimeFolder_ = runtimeFolder;
  bus_ = linux_desktop::SessionBus(problem);
  if (!bus_) return false;
  cancel_ = g_cancellable_new();
  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
  static const GDBusInterfaceVTable kVTable = {&KWinBridge::OnMethodCall, nullptr, nullptr, {}};
  registration_ = g_dbus_connection_register_object(bus_, kPath, node->interfaces[0], &kVTable, this, nullptr, nullptr);
  g_dbus_node_info_unref(node);
  // The name is this door's address on the bus, owned without letting anyone
  // take it over. Nothing travels through it: the script calls this
  // connection's unique name, which no other program can ever hold, so one
  // that holds the name meanwhile hears nothing, and Blindfold works on. The
  // rescue leaves the name to the Blindfold it stands in for.
  if (!rescue_) {
    name_ = g_bus_own_name_on_connection(
        bus_, service_.c_str(), G_BUS_NAME_OWNER_FLAGS_NONE,
        [](GDBusConnection*, const gchar* name, gpointer data) {
          auto* self = static_cast<KWinBridge*>(data);
          if (!self->nameHeldElsewhere_) return;
          self->nameHeldElsewhere_ = false;
          const std::string said = texts::KWinBusNameTakenBack(name);
          log::Info("kwin", said);
          std::cerr << said << '\n';
        },
        [](GDBusConnection* connection, const gchar* name, gpointer data) {
          auto* self = static_cast<KWinBridge*>(data);
          if (!connection || self->nameHeldElsewhere_) return;
          self->nameHeldElsewhere_ = true;
          const std::string said = texts::KWinBusNameHeld(name);
          log::Warning("kwin", said);
          std::cerr << said << '\n';
        },
        this, nullptr);
  }

  // Started with the session, Blindfold may come before KWin's scripting does.
  const gint64 until = g_get_monotonic_time() + static_cast<gint64>(waitMs) * 1000;
  GVariant* loaded = nullptr;
  while (!(loaded = CallKWin(bus_, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "isScriptLoaded",
                             g_variant_new("(s)", plugin_.c_str()), G_VARIANT_TYPE("(b)"), problem)) &&
         g_get_monotonic_time() < until) {
    g_usleep(200000);
  }
  if (!loaded) return false;
  gboolean isLoaded = FALSE;
  g_variant_get(loaded, "(b)", &isLoaded);
  g_variant_unref(loaded);
  // Calls from KWin's own connection are the script's; any other is refused.
  GVariant* owner = CallKWin(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                             "GetNameOwner", g_variant_new("(s)", "org.kde.KWin"), G_VARIANT_TYPE("(s)"), problem);
  if (!owner) return false;
  const gchar* ownerName = nullptr;
  g_variant_get(owner, "(&s)", &ownerName);
  kwinOwner_ = ownerName ? ownerName : "";
  g_variant_unref(owner);
  kwinWatch_ = g_bus_watch_name_on_connection(
      bus_, "org.kde.KWin", G_BUS_NAME_WATCHER_FLAGS_NONE,
      [](GDBusConnection*, const gchar*, const gchar* nameOwner, gpointer data) {
        static_cast<KWinBridge*>(data)->kwinOwner_ = nameOwner ? nameOwner : "";
      },
      [](GDBusConnection*, const gchar*, gpointer data) { static_cast<KWinBridge*>(data)->kwinOwner_.clear(); }, this,
      nullptr);
  // A copy already loaded talks to a Blindfold that has gone (the one before
  // this start, or an earlier rescue): this one loads its own.
  if (isLoaded) {
    GVariant* unloaded = CallKWin(bus_, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript",
                                  g_variant_new("(s)", plugin_.c_str()), nullptr, problem);
    if (!unloaded) return false;
    g_variant_unref(unloaded);
  }
  std::string file;
  if (!WriteScript(file, problem)) return false;
  GVariant* number = CallKWin(bus_, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "loadScript",
                              g_variant_new("(ss)", file.c_str(), plugin_.c_str()), G_VARIANT_TYPE("(i)"), problem);
  if (!number) return false;
  gint32 scriptNumber = -1;
  g_variant_get(number, "(i)", &scriptNumber);
  g_variant_unref(number);
  if (scriptNumber < 0) {
    problem = "KWin did not take the script";
    return false;
  }
  const std::string path = "/" + std::to_string(scriptNumber);
  GVariant* ran = CallKWin(bus_, "org.kde.KWin", path.c_str(), "org.kde.kwin.Script", "run", nullptr, nullptr,
                           problem);
  if (!ran) return false;
  g_variant_unref(ran);
  while (!reported_ && g_get_monotonic_time() < until) {
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(10000);
  }
  if (!reported_) {
    problem = "the KWin script did not report";
    return false;
  }
  // Shows asked by a Blindfold that ended before the script did them: no
  // one else would ever ask again (its logic forgot the windows when it
  // asked).
  std::vector<std::string> asked;
  for (const auto& [id, value] : record_.Entries()) {
    if (ShowAsked(value)) asked.push_back(id);
  }
  for (const std::string& id : asked) {
    log::Info("show", "KWin window ", id, ": its show was asked before Blindfold ended, and is done now");
    if (Send({Request::Op::Show, id, false, std::nullopt})) {
      if (KWinWindow* window = Find(HandleOfId(id))) Assume(*window, false);
    }
  }
  // The rescue ends in a moment: only the running Blindfold watches.
  if (!rescue_) {
    checkTimer_ = g_timeout_add(
        kCheckMs,
        [](gpointer self) -> gboolean {
          static_cast<KWinBridge*>(self)->CheckScript();
          return G_SOURCE_CONTINUE;
        },
        this);
  }
  return true;
}

// The script's text, with this connection's unique name in it, in the
// session's runtime folder, which is the user's alone.
bool KWinBridge::WriteScript(std::string& file, std::string& problem) {
  gchar* text = nullptr;
  gsize length = 0;
  if (!g_file_get_contents(scriptFile_.c_str(), &text, &length, nullptr)) {
    problem = "the KWin script " + scriptFile_ + " is missing";
    return false;
  }
  const std::string script =
      ScriptText({text, length}, g_dbus_connection_get_unique_name(bus_), kPath, kInterface,
                 rescue_ ? std::vector<ScriptShortcut>() : shortcuts_);
  g_free(text);
  g_mkdir_with_parents(runtimeFolder_.c_str(), 0700);
  file = runtimeFolder_ + "/" + service_ + (rescue_ ? ".rescue.js" : ".js");
  if (!g_file_set_contents(file.c_str(), script.c_str(), static_cast<gssize>(script.size()), nullptr)) {
    problem = "cannot write " + file;
    return false;
  }
  return true;
}

// Calls KWin without waiting for it: `then` runs on the main loop with the
// reply (owned by the call) or, for none, what went wrong. A call the bridge
// cancelled on its way out runs nothing, as the bridge is gone.
void KWinBridge::CallKWinLater(const std::string& path, const char* interfaceName, const char* method,
                               GVariant* parameters, const GVariantType* reply, Then then) {
  struct Pending {
    KWinBridge* self;
    Then then;
  };
  auto pending = std::make_unique<Pending>(Pending{this, then});
  g_dbus_connection_call(
      bus_, "org.kde.KWin", path.c_str(), interfaceName, method, parameters, reply, G_DBUS_CALL_FLAGS_NONE,
      kCheckTimeoutMs, cancel_,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        const std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
        GError* error = nullptr;
        GVariant* answer = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
        const bool cancelled = !answer && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
        const std::string problem = answer ? std::string() : error ? error->message : "no answer";
        if (error) g_error_free(error);
        if (!cancelled) pending->then(*pending->self, answer, problem);
        if (answer) g_variant_unref(answer);
      },
      pending.release());
}

// KWin has no word for a script's end: it is asked, once a second. No answer
// (KWin busy or restarting) is asked again at the next tick.
void KWinBridge::CheckScript() {
  if (checking_ || loading_ || !bus_) return;
  checking_ = true;
  CallKWinLater("/Scripting", "org.kde.kwin.Scripting", "isScriptLoaded", g_variant_new("(s)", plugin_.c_str()),
                G_VARIANT_TYPE("(b)"), [](KWinBridge& self, GVariant* reply, const std::string&) {
                  self.checking_ = false;
                  if (!reply) return;
                  gboolean isLoaded = TRUE;
                  g_variant_get(reply, "(b)", &isLoaded);
                  if (!isLoaded) self.LoadAgain();
                });
}

// The script went (unloaded, or KWin restarted) with its list of what it hid:
// a new copy is loaded, and handed again, with what the record says, every
// request the one that went had not reported done. Nothing more goes to the
// copy that went.
void KWinBridge::LoadAgain() {
  log::Warning("kwin", "the KWin script has gone (unloaded, or KWin restarted): loading it again");
  if (heldPoll_) AnswerHeldPoll(false);
  std::vector<Request> again;
  for (Handed& handed : handed_) again.push_back(std::move(handed.request));
  handed_.clear();
  requests_.insert(requests_.begin(), again.begin(), again.end());
  std::string file;
  std::string problem;
  if (!WriteScript(file, problem)) {
    log::Warning("kwin", problem);
    return;
  }
  loading_ = true;
  CallKWinLater(
      "/Scripting", "org.kde.kwin.Scripting", "loadScript", g_variant_new("(ss)", file.c_str(), plugin_.c_str()),
      G_VARIANT_TYPE("(i)"), [](KWinBridge& self, GVariant* reply, const std::string& problem) {
        gint32 id = -1;
        if (reply) g_variant_get(reply, "(i)", &id);
        if (id < 0) {
          self.loading_ = false;
          log::Warning("kwin", "KWin did not take the script again: ", reply ? "refused" : problem);
          return;
        }
        self.CallKWinLater("/" + std::to_string(id), "org.kde.kwin.Script", "run", nullptr, nullptr,
                           [](KWinBridge& owner, GVariant* ran, const std::string& runProblem) {
                             owner.loading_ = false;
                             if (!ran) return log::Warning("kwin", "KWin did not run the script again: ", runProblem);
                             owner.ScriptRunning();
                           });
      });
}

// The new copy registered its shortcuts afresh: the keys set this run are
// given to them again.
void KWinBridge::ScriptRunning() {
  log::Info("kwin", "the KWin script is loaded again");
  const std::map<std::string, int> keys = keys_;
  for (const auto& [name, key] : keys) SetShortcutKeys(name, key);
}

KWinWindow* KWinBridge::Find(WindowHandle handle) {
  if (!handle) return nullptr;
  const auto found = std::ranges::find(windows_, handle, &KWinWindow::handle);
  return found == windows_.end() ? nullptr : &*found;
}

bool KWinBridge::Send(Request request) { return Send(std::vector<Request>{std::move(request)}).front(); }

// A hide is in the record before it is asked, so that no accident between the
// two loses the window; an earlier entry of the same window stays, as what it
// had before the first hide. A show gives back what the record says. The
// record is written once for all the requests, which go to the script as one
// batch: a pass over many windows is one request, carried out in one go.
std::vector<bool> KWinBridge::Send(std::vector<Request> requests) {
  std::map<std::string, std::string> changes;
  const auto recorded = [&](const std::string& id) -> std::optional<std::string> {
    const auto changed = changes.find(id);
    return changed != changes.end() ? std::optional(changed->second) : record_.Get(id);
  };
  std::vector<bool> sent;
  std::vector<Request> queued;
  for (Request& request : requests) {
    if (request.op == Request::Op::Hide && !recorded(request.id)) {
      const auto window = std::ranges::find(windows_, request.id, &KWinWindow::id);
      const GivenBack givenBack = window == windows_.end() ? GivenBack{} : GivenBackOf(*window);
      changes[request.id] = GivenBackJson(givenBack);
    }
    if (request.op != Request::Op::Activate) {
      const std::optional<std::string> entry = recorded(request.id);
      if (!entry) {
        log::Info("show", "KWin window ", request.id, " was not hidden by Blindfold: left as it is");
        sent.push_back(false);
        continue;
      }
      // A record of Blindfold's own that no longer reads gives the window back
      // in plain sight rather than leave it hidden.
      request.givenBack = ReadGivenBack(*entry).value_or(GivenBack{});
      // A show asked is kept as such until it is done: the logic forgets the
      // window at once, so a Blindfold that dies before the script does it
      // leaves the next start to finish it (Start).
      const bool show = request.op == Request::Op::Show;
      if (ShowAsked(*entry) != show) changes[request.id] = GivenBackJson(*request.givenBack, show);
    }
    queued.push_back(std::move(request));
    sent.push_back(true);
  }
  if (!record_.Put(changes)) log::Warning("hide", changes.size(), " KWin windows are recorded in memory only");
  for (Request& request : queued) requests_.push_back(std::move(request));
  if (heldPoll_ && !queued.empty()) AnswerHeldPoll();
  return sent;
}

// Requests handed over make a batch, numbered, which the script's reports say
// when it is done.
void KWinBridge::AnswerHeldPoll(bool withRequests) {
  std::vector<Request> requests;
  std::int64_t batch = 0;
  if (withRequests && !requests_.empty()) {
    batch = ++batch_;
    for (Request& request : requests_) {
      handed_.push_back({batch, request});
      requests.push_back(std::move(request));
    }
    requests_.clear();
    const auto hides = std::ranges::count(requests, Request::Op::Hide, &Request::op);
    log::Info("kwin", "batch ", batch, " handed to the script: ", requests.size(), " requests, ", hides, " hides");
  }
  g_dbus_method_invocation_return_value(heldPoll_, g_variant_new("(s)", BatchJson(batch, requests).c_str()));
  heldPoll_ = nullptr;
  if (pollTimer_) g_source_remove(pollTimer_);
  pollTimer_ = 0;
}

void KWinBridge::OnMethodCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*, const gchar* method,
                              GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
  auto* self = static_cast<KWinBridge*>(data);
  const std::string name = method;
  if (!sender || self->kwinOwner_.empty() || self->kwinOwner_ != sender) {
    log::Warning("kwin", "refused ", name, " from ", sender ? sender : "no one", ", which is not KWin");
    g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.AccessDenied",
                                               "Blindfold takes calls from its KWin script only");
    return;
  }
  if (name == "Next") {
    // A newer poll stands for the script now: the older one gets nothing.
    if (self->heldPoll_) self->AnswerHeldPoll(false);
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

bool KWinBridge::HideFollows(const std::string& id, std::size_t afterHanded) const {
  const auto isHide = [&id](const Request& request) { return request.op == Request::Op::Hide && request.id == id; };
  for (std::size_t i = afterHanded; i < handed_.size(); ++i) {
    if (isHide(handed_[i].request)) return true;
  }
  return std::ranges::any_of(requests_, isHide);
}

void KWinBridge::Report(const std::string& json) {
  std::optional<kwin::Report> report = ReadReport(json);
  if (!report) {
    log::Warning("kwin", "the script's window list could not be read");
    return;
  }
  // A show the script has done takes the window out of the record, unless a
  // hide of it follows.
  std::vector<Handed> pending;
  for (std::size_t i = 0; i < handed_.size(); ++i) {
    const Handed& handed = handed_[i];
    if (handed.batch > report->done) {
      pending.push_back(handed);
    } else if (handed.request.op == Request::Op::Show && !HideFollows(handed.request.id, i + 1)) {
      record_.Remove(handed.request.id);
    }
  }
  handed_ = std::move(pending);
  // A window that has gone is no one's to show: KWin never gives its uuid
  // to another.
  std::unordered_set<std::string> listed;
  for (const KWinWindow& window : report->windows) listed.insert(window.id);
  std::vector<std::string> gone;
  for (const auto& entry : record_.Entries()) {
    if (!listed.contains(entry.first)) gone.push_back(entry.first);
  }
  for (const std::string& id : gone) {
    log::Info("show", "KWin window ", id, " has gone: it leaves the record");
    record_.Remove(id);
  }

  std::unordered_set<std::string> known;
  for (const KWinWindow& window : windows_) known.insert(window.id);
  std::vector<std::string> newIds;
  for (const KWinWindow& window : report->windows) {
    if (!known.contains(window.id)) newIds.push_back(window.id);
  }
  windows_ = std::move(report->windows);
  // Hidden by Blindfold is what its record says, not what the script says.
  for (KWinWindow& window : windows_) window.hiddenByBlindfold = record_.Get(window.id).has_value();
  // What was asked and not yet done still stands: the list may be older.
  const auto assume = [this](const Request& request) {
    if (request.op == Request::Op::Activate) return;
    for (KWinWindow& window : windows_) {
      if (window.id == request.id) Assume(window, request.op == Request::Op::Hide);
    }
  };
  for (const Handed& handed : handed_) assume(handed.request);
  for (const Request& request : requests_) assume(request);
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
  if (qtKey) {
    keys_[name] = *qtKey;
  } else {
    keys_.erase(name);
  }
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

}  // namespace blindfold::kwin
