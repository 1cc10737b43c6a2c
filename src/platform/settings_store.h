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

// Where a value is kept in a settings file that a user can mend by hand.
struct ValueInFile {
  std::string file;
  std::string group;  // the name between the brackets of the line that starts its group
  std::string key;    // its line starts with the key and "="
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
  // Where the value is, for a user who must delete it by hand; nothing where
  // the store is not a text file (the registry has its own editor).
  virtual std::optional<ValueInFile> FileHolding(const RegistryLocation&) { return std::nullopt; }
};

}  // namespace blindfold
