#include "platform/win32/win32_services.h"


#include "platform/win32/text_conversion.h"

namespace blindfold::win32 {
namespace {

std::wstring ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

Win32SingleInstance::Win32SingleInstance()
    : mutex_(CreateMutexW(nullptr, FALSE, L"Local\\Blindfold.SingleInstance.5C1F0E7A")),
      anotherIsRunning_(GetLastError() == ERROR_ALREADY_EXISTS) {}

MessageBoxAnswer Win32MessageBoxes::Show(const std::string& prompt, const std::string& title,
                                         MessageBoxStyle style) {
  UINT flags = MB_OK;
  switch (style) {
    case MessageBoxStyle::WarningYesNo:
      flags = MB_YESNO | MB_ICONEXCLAMATION;
      break;
    case MessageBoxStyle::WarningOk:
      flags = MB_OK | MB_ICONEXCLAMATION;
      break;
    case MessageBoxStyle::Ok:
      break;
  }
  const int answer = MessageBoxW(OwnerOf(owner), Widen(prompt).c_str(), Widen(title).c_str(), flags);
  switch (answer) {
    case IDYES:
      return MessageBoxAnswer::Yes;
    case IDNO:
      return MessageBoxAnswer::No;
    default:
      return MessageBoxAnswer::Ok;
  }
}

// The folder keeps its separator only at a drive root ("C:\").
std::string Win32ProgramFiles::ProgramFolder() {
  const std::wstring path = ExecutablePath();
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  const bool driveRoot = slash == 2 && path[1] == L':';
  return Narrow(path.substr(0, driveRoot ? slash + 1 : slash));
}

std::string Win32ProgramFiles::ShippedFile(std::string_view name) {
  const std::string folder = ProgramFolder();
  return folder + (folder.ends_with('\\') ? "" : "\\") + std::string(name);
}

std::string Win32ProgramFiles::ExecutableBaseName() {
  const std::wstring path = ExecutablePath();
  std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
  if (name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".exe") == 0) name.resize(name.size() - 4);
  return Narrow(name);
}

bool Win32ProgramFiles::FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> Win32ProgramFiles::ReadFile(const std::string& path) {
  const UniqueFileHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[16384];
  DWORD read = 0;
  while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  return bytes;
}

}  // namespace blindfold::win32
