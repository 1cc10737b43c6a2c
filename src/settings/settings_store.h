#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace blindfold {

// Where a full value path points: "HKLM\Software\Blindfold\ShortcutKeys\bMute"
// is root HKLM, key "Software\Blindfold\ShortcutKeys", value "bMute". Roots may
// be written short ("HKLM", "HKCU") or long ("HKEY_LOCAL_MACHINE",
// "HKEY_CURRENT_USER"), in any letter case.
std::optional<RegistryLocation> ParseValuePath(std::string_view path);

// The access layer every part of the program uses: read, write and delete by
// full value path, every value held as text.
//
// Machine-wide values are meant to live under HKEY_LOCAL_MACHINE, but a standard
// user may not write there, and every save would then be lost. So a write that
// HKEY_LOCAL_MACHINE refuses goes to the same key path under HKEY_CURRENT_USER,
// and a read prefers the per-user copy when one exists; an administrator can
// still preset machine-wide values that apply until the user saves their own.
class SettingsStore {
 public:
  explicit SettingsStore(RegistryBackend& backend) : backend_(backend) {}

  // The value's text; nothing when it (or its key) does not exist or the path
  // is malformed.
  std::optional<std::string> RegRead(std::string_view path);
  // False when the value could be stored nowhere.
  bool RegWrite(std::string_view path, const std::string& text);
  // Removes every copy of the value; false when none existed or one could not
  // be removed.
  bool RegDelete(std::string_view path);
  // A value that guards something, read where this program's saves put it: a
  // save writes machine-wide when it may, and then removes the per-user copy,
  // so a per-user copy beside a machine-wide value this program may write was
  // put there by someone else, and must not weaken the guard.
  std::optional<std::string> ReadAsSaved(std::string_view path);

 private:
  RegistryBackend& backend_;
};

}  // namespace blindfold
