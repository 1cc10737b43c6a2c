#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>

#include "core/texts.h"
#include "platform/settings_store.h"

namespace blindfold {

// An in-memory registry with both roots. Writes to a root can be refused, as
// HKEY_LOCAL_MACHINE refuses a standard user's writes.
class FakeRegistry final : public RegistryBackend {
 public:
  std::optional<std::string> ReadValue(const RegistryLocation& where) override;
  bool WriteValue(const RegistryLocation& where, const std::string& text) override;
  bool DeleteValue(const RegistryLocation& where) override;
  bool MayWrite(const RegistryLocation& where) override {
    return !unavailable && !refusedRoots.contains(where.root);
  }

  // Windows' registry, or a store kept in `settingsFile`, when set, as on Linux.
  std::string HowToDeleteByHand(const RegistryLocation& where) override {
    if (settingsFile.empty()) {
      return texts::DeleteRegistryValue(where.root == RegistryRoot::CurrentUser, where.key, where.name);
    }
    std::string group = where.key;
    for (char& c : group) c = c == '\\' ? '/' : c;
    return texts::DeleteLineInFile(settingsFile, group, where.name);
  }

  // Test set-up and inspection, by full path ("HKLM\...\name" or "HKCU\...").
  void Set(const std::string& path, const std::string& text);
  std::optional<std::string> Get(const std::string& path) const;
  std::size_t ValueCount() const { return values_.size(); }

  std::set<RegistryRoot> refusedRoots;  // writes and deletes there fail
  bool unavailable = false;             // every operation fails
  bool refusedDeletes = false;          // deletes fail everywhere
  int writeCount = 0;
  std::string settingsFile;

 private:
  using Key = std::tuple<RegistryRoot, std::string, std::string>;
  static Key MakeKey(const RegistryLocation& where);
  std::map<Key, std::string> values_;
};

}  // namespace blindfold
