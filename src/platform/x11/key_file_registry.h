#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "platform/autostart.h"
#include "platform/settings_store.h"

namespace blindfold::x11 {

// Where the settings live on an XDG desktop.
struct SettingsPaths {
  std::string machineFile;        // the machine-wide values, as under HKLM
  std::string userFile;           // the user's own, as under HKCU
  std::string machineAutostart;   // the start-at-login entries
  std::string userAutostart;
  std::string recordFile;         // the hidden-window record of this X display
  std::string markKeyFile;        // the key that seals the marks on hidden windows of this display

  // The usual places for the user running the program on display `displayName`:
  // $XDG_CONFIG_DIRS (/etc/xdg), $XDG_CONFIG_HOME (~/.config), $XDG_RUNTIME_DIR. No runtime
  // folder leaves the record without a place, so it cannot be written.
  static SettingsPaths ForSession(const std::string& displayName);
};

// The settings store as GLib key files: a key path is a group (its backslashes
// turned into slashes) and a value name a key. Some key paths have a place of
// their own:
//  - Software\Blindfold\Recovery, the record of hidden windows, is a file in
//    the session's runtime folder, which ends with the session as the window
//    ids do.
// Every write replaces the file whole (temporary file, fsync, rename), readable
// by its owner alone. A file that cannot be read as a key file is moved aside,
// not overwritten, and `onDamaged` tells the user once.
class KeyFileRegistry final : public RegistryBackend {
 public:
  using DamagedReport = std::function<void(const std::string& message)>;

  KeyFileRegistry(SettingsPaths paths, DamagedReport onDamaged)
      : paths_(std::move(paths)), onDamaged_(std::move(onDamaged)) {}

  std::optional<std::string> ReadValue(const RegistryLocation& where) override;
  bool WriteValue(const RegistryLocation& where, const std::string& text) override;
  bool DeleteValue(const RegistryLocation& where) override;
  bool MayWrite(const RegistryLocation& where) override;
  std::string HowToDeleteByHand(const RegistryLocation& where) override;

 private:
  enum class Place { Settings, Record };
  static Place PlaceOf(const RegistryLocation& where);
  const std::string& FileOf(const RegistryLocation& where) const;
  void NoteUnreadable(const std::string& path, const std::string& reason);
  bool WriteInPlace(const RegistryLocation& where, const std::string& text);
  // Tells `message` once for each thing it is `about`.
  void Report(const std::string& about, const std::string& message);

  SettingsPaths paths_;
  DamagedReport onDamaged_;
  std::unordered_set<std::string> reported_;
};


// The start at log-on as XDG desktops keep it: an autostart entry, the user's
// own or the machine's. The user's entry, where there is one, decides; one the
// desktop's settings switched off (Hidden=true) is off. Turning on writes the
// machine's entry where this user may, else the user's; turning off removes
// both, and a machine entry this user may not remove is switched off by a
// user's entry.
class XdgAutostart final : public Autostart {
 public:
  XdgAutostart(SettingsPaths paths, std::string programPath)
      : paths_(std::move(paths)), programPath_(std::move(programPath)) {}

  bool IsOn() override;
  bool TurnOn() override;
  bool TurnOff() override;

 private:
  bool Write(const std::string& path, bool hidden);

  SettingsPaths paths_;
  std::string programPath_;
};

// Writes `bytes` to `path` so that a reader finds the old file or the new one,
// never a part: a temporary file beside it, fsync, rename. Mode 0600; missing
// folders are made, readable by their owner alone.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace blindfold::x11
