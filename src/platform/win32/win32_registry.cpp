#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handle.h"

namespace blindfold::win32 {
namespace {

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

UniqueKey OpenKey(const RegistryLocation& where, REGSAM access) {
  UniqueKey key;
  if (RegOpenKeyExW(RootKey(where.root), Widen(where.key).c_str(), 0, access | KEY_WOW64_32KEY,
                    key.Put()) != ERROR_SUCCESS) {
    return UniqueKey();
  }
  return key;
}

// A string value's text, cut at its first NUL (a value need not be terminated,
// and may hold several strings).
std::string StringValueText(const std::vector<BYTE>& data) {
  const auto* chars = reinterpret_cast<const wchar_t*>(data.data());
  std::wstring_view text(chars, data.size() / sizeof(wchar_t));
  return Narrow(text.substr(0, text.find(L'\0')));
}

template <class Number>
Number ReadNumber(const std::vector<BYTE>& data) {
  Number number{};
  std::memcpy(&number, data.data(), sizeof number);
  return number;
}

// A value's text, and the registry's answer: ERROR_KEY_DELETED when the key
// has been deleted since it was opened.
struct ReadResult {
  std::optional<std::string> text;
  LSTATUS status;
};

ReadResult ReadFrom(HKEY key, const std::wstring& name) {
  if (!key) return {std::nullopt, ERROR_FILE_NOT_FOUND};
  // Every setting fits the first buffer, so one query reads it; a longer value
  // (a long always-hide list) is asked for again with room for what it said
  // it needs, and again if it grew in between.
  constexpr DWORD kFirstBuffer = 512;
  DWORD type = 0;
  std::vector<BYTE> data(kFirstBuffer);
  DWORD size = kFirstBuffer;
  LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
  while (status == ERROR_MORE_DATA) {
    data.resize(size + sizeof(wchar_t));
    size = static_cast<DWORD>(data.size());
    status = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
  }
  if (status != ERROR_SUCCESS) return {std::nullopt, status};
  data.resize(size);

  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
      return {StringValueText(data), status};
    case REG_DWORD:
      if (data.size() < sizeof(DWORD)) return {std::nullopt, status};
      return {std::to_string(ReadNumber<std::int32_t>(data)), status};
    case REG_QWORD:
      if (data.size() < sizeof(ULONGLONG)) return {std::nullopt, status};
      return {std::to_string(ReadNumber<std::int64_t>(data)), status};
    default:
      return {std::nullopt, status};
  }
}

}  // namespace

HKEY Win32Registry::KeyToRead(const RegistryLocation& where, bool reopen) {
  UniqueKey& kept = readKeys_[{where.root, where.key}];
  if (!kept || reopen) kept = OpenKey(where, KEY_QUERY_VALUE);
  return kept.Get();
}

std::optional<std::string> Win32Registry::ReadValue(const RegistryLocation& where) {
  ReadResult read = ReadFrom(KeyToRead(where, false), Widen(where.name));
  if (read.status == ERROR_KEY_DELETED) read = ReadFrom(KeyToRead(where, true), Widen(where.name));
  return read.text;
}

bool Win32Registry::WriteValue(const RegistryLocation& where, const std::string& text) {
  UniqueKey key;
  if (RegCreateKeyExW(RootKey(where.root), Widen(where.key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, key.Put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const std::wstring value = Widen(text);
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.Get(), Widen(where.name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
}

bool Win32Registry::MayWrite(const RegistryLocation& where) { return static_cast<bool>(OpenKey(where, KEY_SET_VALUE)); }

bool Win32Registry::DeleteValue(const RegistryLocation& where) {
  const UniqueKey key = OpenKey(where, KEY_SET_VALUE);
  return key && RegDeleteValueW(key.Get(), Widen(where.name).c_str()) == ERROR_SUCCESS;
}

namespace {

RegistryLocation RunValue(RegistryRoot root) {
  return {root, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Blindfold"};
}

}  // namespace

bool Win32Autostart::IsOn() {
  auto path = registry_.ReadValue(RunValue(RegistryRoot::CurrentUser));
  if (!path) path = registry_.ReadValue(RunValue(RegistryRoot::LocalMachine));
  if (!path) return false;
  const std::size_t at = path->find("Blindfold");
  return at != std::string::npos && at > 0;
}

// A per-user value would shadow the machine-wide one just written: it goes,
// or, when it cannot, it is brought up to date.
bool Win32Autostart::TurnOn() {
  const RegistryLocation perUser = RunValue(RegistryRoot::CurrentUser);
  if (!registry_.WriteValue(RunValue(RegistryRoot::LocalMachine), programPath_)) {
    return registry_.WriteValue(perUser, programPath_);
  }
  return !registry_.ReadValue(perUser) || registry_.DeleteValue(perUser) || registry_.WriteValue(perUser, programPath_);
}

// Usually there is nothing to delete.
bool Win32Autostart::TurnOff() {
  bool allGone = true;
  for (const RegistryRoot root : {RegistryRoot::CurrentUser, RegistryRoot::LocalMachine}) {
    if (registry_.ReadValue(RunValue(root)) && !registry_.DeleteValue(RunValue(root))) allGone = false;
  }
  return allGone;
}

}  // namespace blindfold::win32
