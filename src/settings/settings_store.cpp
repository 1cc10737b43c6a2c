#include "settings/settings_store.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace blindfold {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::optional<RegistryRoot> ParseRoot(std::string_view name) {
  static constexpr std::array<std::pair<std::string_view, RegistryRoot>, 4> kRoots = {{
      {"HKLM", RegistryRoot::LocalMachine},
      {"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
      {"HKCU", RegistryRoot::CurrentUser},
      {"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
  }};
  for (const auto& [spelling, root] : kRoots) {
    if (EqualsIgnoringCase(name, spelling)) return root;
  }
  return std::nullopt;
}

RegistryLocation PerUserCopy(RegistryLocation where) {
  where.root = RegistryRoot::CurrentUser;
  return where;
}

}  // namespace

std::optional<RegistryLocation> ParseValuePath(std::string_view path) {
  const std::size_t rootEnd = path.find('\\');
  const std::size_t nameStart = path.rfind('\\');
  if (rootEnd == std::string_view::npos || nameStart == rootEnd) return std::nullopt;
  const auto root = ParseRoot(path.substr(0, rootEnd));
  const std::string_view key = path.substr(rootEnd + 1, nameStart - rootEnd - 1);
  const std::string_view name = path.substr(nameStart + 1);
  if (!root || key.empty() || name.empty()) return std::nullopt;
  return RegistryLocation{*root, std::string(key), std::string(name)};
}

std::optional<std::string> SettingsStore::RegRead(std::string_view path) {
  const auto where = ParseValuePath(path);
  if (!where) return std::nullopt;
  if (where->root == RegistryRoot::LocalMachine) {
    if (auto perUser = backend_.ReadValue(PerUserCopy(*where))) return perUser;
  }
  return backend_.ReadValue(*where);
}

std::optional<std::string> SettingsStore::ReadAsSaved(std::string_view path) {
  const auto where = ParseValuePath(path);
  if (!where) return std::nullopt;
  if (where->root == RegistryRoot::LocalMachine && backend_.MayWrite(*where)) {
    if (auto machineWide = backend_.ReadValue(*where)) return machineWide;
  }
  return RegRead(path);
}

bool SettingsStore::RegWrite(std::string_view path, const std::string& text) {
  const auto where = ParseValuePath(path);
  if (!where) return false;
  if (backend_.WriteValue(*where, text)) {
    // A per-user copy would shadow the value just written: it goes, or, when it
    // cannot, it is brought up to date.
    if (where->root != RegistryRoot::LocalMachine) return true;
    const RegistryLocation perUser = PerUserCopy(*where);
    return !backend_.ReadValue(perUser) || backend_.DeleteValue(perUser) || backend_.WriteValue(perUser, text);
  }
  return where->root == RegistryRoot::LocalMachine && backend_.WriteValue(PerUserCopy(*where), text);
}

bool SettingsStore::RegDelete(std::string_view path) {
  const auto where = ParseValuePath(path);
  if (!where) return false;
  bool existed = false;
  bool allRemoved = true;
  const auto removeCopy = [&](const RegistryLocation& copy) {
    if (!backend_.ReadValue(copy)) return;
    existed = true;
    allRemoved = backend_.DeleteValue(copy) && allRemoved;
  };
  if (where->root == RegistryRoot::LocalMachine) removeCopy(PerUserCopy(*where));
  removeCopy(*where);
  return existed && allRemoved;
}

}  // namespace blindfold
