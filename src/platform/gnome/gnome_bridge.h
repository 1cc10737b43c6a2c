#pragma once

#include <gio/gio.h>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/window_handle.h"
#include "platform/gnome/gnome_rules.h"
#include "platform/linux/door_record.h"

namespace blindfold::gnome {

// Blindfold's end of its GNOME Shell extension, on the session bus: the
// extension's object in the Shell's own connection lists the windows, hides
// and shows them, and binds the keys; its signals come to this connection
// alone.
//
// What the extension hid is Blindfold's to know as well: every hide is first
// written to a record of Blindfold's own (the window's id, and whether it was
// minimised), a show is asked only for a window the record holds and leaves
// it once done. The extension keeps its own set while the Shell runs, so a
// Blindfold killed and started again, or a rescue beside one that stopped
// answering, finds the windows still hidden and shows them from the record.
// The record names the Shell's run: ids from another run name other windows.
class GnomeBridge {
 public:
  // `sessionKey` names the record.
  explicit GnomeBridge(const std::string& sessionKey);
  GnomeBridge(const GnomeBridge&) = delete;
  GnomeBridge& operator=(const GnomeBridge&) = delete;
  ~GnomeBridge();

  // Registers with the extension, waiting up to `waitMs` for the Shell and
  // the extension to answer. A rescue (`rescue`) registers beside a Blindfold
  // that may still run, with the token the record holds. False, with
  // `problem` said and `extensionMissing` set when the Shell answers and the
  // extension does not, when it cannot be reached.
  bool Start(int waitMs, bool rescue, std::string& problem, bool& extensionMissing);

  // The window list, asked of the extension again.
  void Refresh();
  const std::vector<GnomeWindow>& Windows() const { return windows_; }
  GnomeWindow* Find(WindowHandle handle);
  bool Reachable() const { return reachable_; }

  // Each of a pass's windows in one call, the record written once before it;
  // for each window, whether it is hidden.
  std::vector<bool> Hide(const std::vector<GnomeWindow*>& windows);
  // A show is asked only for a window the record holds, or the extension
  // says it hid; for each window, whether it was asked and answered. The
  // keyboard goes to `activate`, when it is one of them.
  std::vector<bool> Show(const std::vector<GnomeWindow*>& windows, const GnomeWindow* activate);
  bool Activate(const GnomeWindow& window);
  bool HiddenByThisProgram(const GnomeWindow& window) const;
  // Binds the key of `name` in the Shell; an empty accelerator frees it.
  // False when the Shell has given those keys to something else.
  bool SetKey(const std::string& name, const std::string& accelerator);

  void SetOnPressed(const std::string& name, std::function<void()> onPressed) { pressed_[name] = std::move(onPressed); }
  // Called with each window the Shell has newly taken on, once the list holds it.
  void SetOnAppeared(std::function<void(WindowHandle)> onAppeared) { onAppeared_ = std::move(onAppeared); }

  static constexpr const char* kService = "org.gnome.Shell";
  static constexpr const char* kPath = "/example/blindfold/Gnome";
  static constexpr const char* kInterface = "example.blindfold.Gnome";

 private:
  // A call to the extension; registers again and calls once more when the
  // extension, disabled and enabled again, has forgotten this Blindfold.
  GVariant* Call(const char* method, GVariant* parameters, const GVariantType* reply);
  GVariant* CallOnce(const char* method, GVariant* parameters, const GVariantType* reply, GError** error);
  bool Register(std::string& problem, bool& extensionMissing);
  static void OnSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* signal,
                       GVariant* parameters, gpointer self);
  void Heard(std::string_view signal, GVariant* parameters);
  // Takes every window out of the record but those whose keys `keep` holds,
  // in one write.
  void ForgetRecordedWindows(const std::set<std::string>& keep);

  linux_desktop::DoorRecord record_;
  bool rescue_ = false;
  GDBusConnection* bus_ = nullptr;
  // The Shell's unique name on the bus, as it was at the last registration.
  std::string shellOwner_;
  guint subscription_ = 0;
  bool reachable_ = true;
  std::vector<GnomeWindow> windows_;
  std::map<std::string, std::string> keys_;
  std::map<std::string, std::function<void()>> pressed_;
  std::function<void(WindowHandle)> onAppeared_;
};

}  // namespace blindfold::gnome
