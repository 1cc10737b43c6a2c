#pragma once

#include <optional>
#include <string>

namespace blindfold {

enum class RegistryRoot { LocalMachine, CurrentUser };

// One value of the hierarchical settings store: root, key path below it
// (components joined by backslashes) and value name.
struct RegistryLocation {
  RegistryRoot root = RegistryRoot::LocalMachine;
  std::string key;
  std::string name;
};

// The raw store: one root at a time, no fallback between roots. Key paths and
// value names are matched without regard to case. Every value is written as
// text; reading a number stored by other means gives its decimal text, and a
// value of any other kind reads as missing. Texts are UTF-8.
class RegistryBackend {
 public:
  virtual ~RegistryBackend() = default;

  virtual std::optional<std::string> ReadValue(const RegistryLocation& where) = 0;
  // Creates missing keys on the way; false when the platform refuses.
  virtual bool WriteValue(const RegistryLocation& where, const std::string& text) = 0;
  // False when the value does not exist or may not be deleted.
  virtual bool DeleteValue(const RegistryLocation& where) = 0;
  // Whether this program may change the value's key, which exists.
  virtual bool MayWrite(const RegistryLocation& where) = 0;
  // How a user deletes the value by hand, in words that say where it is kept
  // and with what it is mended.
  virtual std::string HowToDeleteByHand(const RegistryLocation& where) = 0;
};

}  // namespace blindfold
