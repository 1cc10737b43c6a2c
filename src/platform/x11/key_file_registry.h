#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "platform/settings_store.h"

namespace blindfold::x11 {

// Where the settings live on an XDG desktop.
struct SettingsPaths {
  std::string machineFile;        // the machine-wide values, as under HKLM
  std::string userFile;           // the user's own, as under HKCU
  std::string machineAutostart;   // the start-at-login entries
  std::string userAutostart;
  std::string recordFile;         // the hidden-window record of this X display

  // The usual places for the user running the program on display `displayName`:
  // $XDG_CONFIG_DIRS (/etc/xdg), $XDG_CONFIG_HOME (~/.config), $XDG_RUNTIME_DIR. No runtime
  // folder leaves the record without a place, so it cannot be written.
  static SettingsPaths ForSession(const std::string& displayName);
};

// The settings store as GLib key files: a key path is a group (its backslashes
// turned into slashes) and a value name a key. Some key paths have a place of
// their own:
//  - the Windows Run key, where start-at-login is written, is the XDG autostart
//    entry of the same root;
//  - Software\Blindfold\Recovery, the record of hidden windows, is a file in
//    the session's runtime folder, which ends with the session as the window
//    ids do;
//  - where Windows registers its System Information program reads as the
//    first system-information tool of the desktops found on the PATH, and
//    cannot be written.
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

 private:
  enum class Place { Settings, Autostart, Record, SystemInformation };
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

// The desktops' system-information tools, the first found on the PATH; nothing
// when none is installed.
std::optional<std::string> FindSystemInformationTool();

// The program a start-at-login value names, as a path this system can start:
// the logic writes it the Windows way ("folder\\Blindfold.exe").
std::string ProgramPathOf(std::string_view storedPath);

// What the user is told about a damaged settings file, one that cannot be
// read at all, and a record of hidden windows that cannot be kept.
std::string DamagedSettingsMessage(const std::string& path, const std::string& keptAs);
std::string UnreadableSettingsMessage(const std::string& path, const std::string& reason);
std::string RecordNotKeptMessage(const std::string& recordFile);

// Writes `bytes` to `path` so that a reader finds the old file or the new one,
// never a part: a temporary file beside it, fsync, rename. Mode 0600; missing
// folders are made, readable by their owner alone.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace blindfold::x11
