#pragma once

#include "platform/settings_store.h"

namespace blindfold::win32 {

// The Windows registry, in its 32-bit view so that 32-bit and 64-bit builds of
// the program share one set of settings.
class Win32Registry final : public RegistryBackend {
 public:
  std::optional<std::string> ReadValue(const RegistryLocation& where) override;
  bool WriteValue(const RegistryLocation& where, const std::string& text) override;
  bool DeleteValue(const RegistryLocation& where) override;
  bool MayWrite(const RegistryLocation& where) override;
};

}  // namespace blindfold::win32
