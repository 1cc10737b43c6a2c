#include "platform/fake/fake_registry.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "settings/settings_store.h"

namespace blindfold {
namespace {

std::string Lower(std::string text) {
  std::ranges::transform(text, text.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

RegistryLocation MustParse(const std::string& path) {
  const auto where = ParseValuePath(path);
  if (!where) throw std::invalid_argument("not a value path: " + path);
  return *where;
}

}  // namespace

FakeRegistry::Key FakeRegistry::MakeKey(const RegistryLocation& where) {
  return {where.root, Lower(where.key), Lower(where.name)};
}

std::optional<std::string> FakeRegistry::ReadValue(const RegistryLocation& where) {
  if (unavailable) return std::nullopt;
  const auto it = values_.find(MakeKey(where));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

bool FakeRegistry::WriteValue(const RegistryLocation& where, const std::string& text) {
  if (unavailable || refusedRoots.contains(where.root)) return false;
  ++writeCount;
  values_[MakeKey(where)] = text;
  return true;
}

bool FakeRegistry::DeleteValue(const RegistryLocation& where) {
  if (unavailable || refusedDeletes || refusedRoots.contains(where.root)) return false;
  return values_.erase(MakeKey(where)) > 0;
}

void FakeRegistry::Set(const std::string& path, const std::string& text) {
  values_[MakeKey(MustParse(path))] = text;
}

std::optional<std::string> FakeRegistry::Get(const std::string& path) const {
  const auto it = values_.find(MakeKey(MustParse(path)));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

}  // namespace blindfold
