#pragma once

#include <gio/gio.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/window_handle.h"
#include "platform/kwin/kwin_rules.h"
#include "platform/linux/door_record.h"

namespace blindfold::kwin {

// Blindfold's end of the KWin script, on the session bus: it keeps the window
// list the script reports, hands the script the requests queued for it when it
// asks for the next ones (a long poll, answered within twenty seconds), and
// passes on its shortcuts.
//
// What the script hid is Blindfold's to know, not the script's: a script can
// be unloaded, and KWin restarted, with windows hidden. So every hide is first
// written to a record of Blindfold's own (each window's uuid and what it is to
// be given back), a show leaves it only once the script reports it done, and
// each request carries what the record says. The script is loaded again when
// it goes, and told again what it had not yet done.
class KWinBridge {
 public:
  // `sessionKey` tells this session's Blindfold from another's on the bus, and
  // names its record.
  explicit KWinBridge(const std::string& sessionKey);
  KWinBridge(const KWinBridge&) = delete;
  KWinBridge& operator=(const KWinBridge&) = delete;
  ~KWinBridge();

  // Loads a copy of the script that talks to this Blindfold alone and waits
  // up to `waitMs` for its first report. The rescue (`rescue`), which may run
  // beside a Blindfold that stopped answering, loads a copy of its own under
  // another name and takes it away again at its end. False, with `problem`
  // said, when KWin or the bus is not there or the script never reports.
  // The global shortcuts the script registers, before it is started.
  void SetShortcuts(std::vector<ScriptShortcut> shortcuts) { shortcuts_ = std::move(shortcuts); }
  bool Start(const std::string& scriptFile, const std::string& runtimeFolder, int waitMs, bool rescue,
             std::string& problem);

  const std::vector<KWinWindow>& Windows() const { return windows_; }
  KWinWindow* Find(WindowHandle handle);
  // A show is sent only for a window the record holds; false for another.
  bool Send(Request request);
  // Many requests, handed to the script in one batch; for each, what Send
  // answers.
  std::vector<bool> Send(std::vector<Request> requests);

  // Called with each new report; and with each shortcut's name when pressed.
  void SetOnReport(std::function<void(const std::vector<std::string>& newIds)> onReport) {
    onReport_ = std::move(onReport);
  }
  void SetOnPressed(const std::string& name, std::function<void()> onPressed) { pressed_[name] = std::move(onPressed); }

  // Sets the keys of the script's shortcut `name` in KDE's global shortcuts;
  // an empty list takes them away.
  bool SetShortcutKeys(const std::string& name, std::optional<int> qtKey);

  static constexpr const char* kPath = "/example/blindfold/KWin";
  static constexpr const char* kInterface = "example.blindfold.KWin";

 private:
  // A request handed to the script in batch `batch`, not yet reported done.
  struct Handed {
    std::int64_t batch;
    Request request;
  };

  static void OnMethodCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*, const gchar* method,
                           GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self);
  void Report(const std::string& json);
  void AnswerHeldPoll(bool withRequests = true);
  bool WriteScript(std::string& file, std::string& problem);
  using Then = void (*)(KWinBridge& self, GVariant* reply, const std::string& problem);
  void CallKWinLater(const std::string& path, const char* interfaceName, const char* method, GVariant* parameters,
                     const GVariantType* reply, Then then);
  void CheckScript();
  void LoadAgain();
  void ScriptRunning();
  bool HideFollows(const std::string& id, std::size_t afterHanded) const;

  std::string service_;
  std::string plugin_;
  bool rescue_ = false;
  std::vector<ScriptShortcut> shortcuts_;
  std::string scriptFile_;
  std::string runtimeFolder_;
  linux_desktop::DoorRecord record_;
  GDBusConnection* bus_ = nullptr;
  GCancellable* cancel_ = nullptr;
  guint registration_ = 0;
  guint name_ = 0;
  bool nameHeldElsewhere_ = false;
  // KWin's own connection: only its calls (the script's) are taken.
  std::string kwinOwner_;
  guint kwinWatch_ = 0;
  guint checkTimer_ = 0;
  bool checking_ = false;
  bool loading_ = false;
  bool reported_ = false;
  std::vector<KWinWindow> windows_;
  std::deque<Request> requests_;
  std::vector<Handed> handed_;
  std::int64_t batch_ = 0;
  GDBusMethodInvocation* heldPoll_ = nullptr;
  guint pollTimer_ = 0;
  std::map<std::string, int> keys_;
  std::function<void(const std::vector<std::string>&)> onReport_;
  std::map<std::string, std::function<void()>> pressed_;
};

}  // namespace blindfold::kwin
