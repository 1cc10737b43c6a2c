#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/autostart.h"
#include "core/texts.h"
#include "platform/settings_store.h"
#include "platform/win32/unique_handle.h"

namespace blindfold::win32 {

// The Windows registry, in its 32-bit view so that 32-bit and 64-bit builds of
// the program share one set of settings. Used from the user-interface thread.
class Win32Registry final : public RegistryBackend {
 public:
  std::optional<std::string> ReadValue(const RegistryLocation& where) override;
  bool WriteValue(const RegistryLocation& where, const std::string& text) override;
  bool DeleteValue(const RegistryLocation& where) override;
  bool MayWrite(const RegistryLocation& where) override;
  std::string HowToDeleteByHand(const RegistryLocation& where) override {
    return texts::DeleteRegistryValue(where.root == RegistryRoot::CurrentUser, where.key, where.name);
  }

 private:
  HKEY KeyToRead(const RegistryLocation& where, bool reopen);

  // Keys once opened for reading stay open: the load reads some forty values
  // from a handful of keys, and each opening is a round trip to the registry
  // server. A key deleted since (and perhaps made again) answers that it was
  // deleted, and is opened afresh.
  std::map<std::pair<RegistryRoot, std::string>, UniqueKey> readKeys_;
};

// The start at log-on as Windows keeps it: a value named "Blindfold" under the
// Run key, holding the executable's full path, machine-wide where this user may
// write it and per-user otherwise; a per-user value wins, as it does in every
// read of the settings.
class Win32Autostart final : public Autostart {
 public:
  Win32Autostart(RegistryBackend& registry, std::string programPath)
      : registry_(registry), programPath_(std::move(programPath)) {}

  // On when the stored path names the product past its first character.
  bool IsOn() override;
  bool TurnOn() override;
  bool TurnOff() override;

 private:
  RegistryBackend& registry_;
  std::string programPath_;
};

}  // namespace blindfold::win32
