#include "platform/linux/linux_services.h"

#include <gio/gio.h>
#include <nettle/pbkdf2.h>
#include <sys/random.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>

namespace blindfold::linux_desktop {

std::optional<std::vector<std::uint8_t>> NettleCrypto::Pbkdf2Sha256(std::string_view password,
                                                                    std::span<const std::uint8_t> salt,
                                                                    std::uint32_t iterations, std::size_t length) {
  if (iterations == 0 || length == 0) return std::nullopt;
  std::vector<std::uint8_t> key(length);
  pbkdf2_hmac_sha256(password.size(), reinterpret_cast<const std::uint8_t*>(password.data()), iterations,
                     salt.size(), salt.data(), key.size(), key.data());
  return key;
}

std::optional<std::vector<std::uint8_t>> NettleCrypto::RandomBytes(std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  std::size_t filled = 0;
  while (filled < count) {
    const ssize_t got = getrandom(bytes.data() + filled, count - filled, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return std::nullopt;
    filled += static_cast<std::size_t>(got);
  }
  return bytes;
}

bool GioShell::OpenAddress(const std::string& address) {
  return g_app_info_launch_default_for_uri(address.c_str(), nullptr, nullptr) != FALSE;
}

// Spawned, not waited for; the child is left to the init process.
bool GioShell::StartProgram(const std::string& path) {
  gchar* argv[] = {const_cast<gchar*>(path.c_str()), nullptr};
  return g_spawn_async(nullptr, argv, nullptr, static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH), nullptr, nullptr,
                       nullptr, nullptr) != FALSE;
}

std::optional<std::string> GioShell::SystemInformationProgram() {
  static constexpr std::array<const char*, 6> kTools = {"hardinfo2",          "hardinfo",         "kinfocenter",
                                                        "mate-system-monitor", "gnome-system-monitor", "lxtask"};
  for (const char* tool : kTools) {
    if (gchar* path = g_find_program_in_path(tool)) {
      std::string found = path;
      g_free(path);
      return found;
    }
  }
  return std::nullopt;
}

namespace {

std::string ExecutablePath() {
  gchar* path = g_file_read_link("/proc/self/exe", nullptr);
  std::string result = path ? path : "";
  g_free(path);
  return result;
}

}  // namespace

std::string PosixProgramFiles::ProgramFolder() {
  const std::string path = ExecutablePath();
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash == 0 ? 1 : slash);
}

std::string PosixProgramFiles::ShippedFile(std::string_view name) {
  const std::string folder = ProgramFolder();
  return folder + (folder.ends_with('/') ? "" : "/") + std::string(name);
}

std::string PosixProgramFiles::ExecutableBaseName() {
  const std::string path = ExecutablePath();
  return path.substr(path.rfind('/') + 1);
}

bool PosixProgramFiles::FileExists(const std::string& path) {
  return g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR) != FALSE;
}

std::optional<std::string> PosixProgramFiles::ReadFile(const std::string& path) {
  gchar* bytes = nullptr;
  gsize length = 0;
  if (!g_file_get_contents(path.c_str(), &bytes, &length, nullptr)) return std::nullopt;
  std::string contents(bytes, length);
  g_free(bytes);
  return contents;
}

void ClockRandom::SeedFromClock() {
  generator_.seed(static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
}

}  // namespace blindfold::linux_desktop
