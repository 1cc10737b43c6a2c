#include "platform/x11/x11_services.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <nettle/pbkdf2.h>
#include <sys/file.h>
#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "platform/x11/window_rules.h"

namespace blindfold::x11 {

void FileDescriptorTraits::Close(int fd) { close(fd); }

std::string X11SingleInstance::LockFileForDisplay(const std::string& displayName) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) return {};
  const std::string display = SessionKeyOfDisplay(displayName);
  return std::string(runtime) + "/blindfold/instance-" + display + ".lock";
}

namespace {

constexpr const char* kInstanceSelection = "_BLINDFOLD_INSTANCE";

}  // namespace

bool X11SingleInstance::IsClaimed(X11Connection& connection) {
  return XGetSelectionOwner(connection.Get(), connection.Intern(kInstanceSelection)) != None;
}

bool X11SingleInstance::IsLocked(const std::string& lockFile) {
  if (lockFile.empty()) return false;
  const UniqueFileDescriptor probe(open(lockFile.c_str(), O_RDONLY | O_CLOEXEC));
  if (!probe) return false;
  int result = 0;
  do {
    result = flock(probe.Get(), LOCK_SH | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result != 0 && errno == EWOULDBLOCK;
}

X11SingleInstance::X11SingleInstance(const std::string& lockFile, X11Connection* connection) {
  if (connection) {
    // Asked and claimed with the server held, so that two starts at once
    // cannot both find it free. The owner window lives as long as the
    // connection, which is the program's.
    const Atom selection = connection->Intern(kInstanceSelection);
    XGrabServer(connection->Get());
    if (XGetSelectionOwner(connection->Get(), selection) != None) {
      anotherIsRunning_ = true;
    } else {
      const ::Window owner = XCreateSimpleWindow(connection->Get(), connection->Root(), -1, -1, 1, 1, 0, 0, 0);
      XSetSelectionOwner(connection->Get(), selection, owner, CurrentTime);
    }
    XUngrabServer(connection->Get());
    XFlush(connection->Get());
  }
  if (anotherIsRunning_ || lockFile.empty()) return;
  const std::string folder = lockFile.substr(0, lockFile.rfind('/'));
  g_mkdir_with_parents(folder.c_str(), 0700);
  lock_.Reset(open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!lock_) return;
  int result = 0;
  do {
    result = flock(lock_.Get(), LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  anotherIsRunning_ = result != 0 && errno == EWOULDBLOCK;
  // A second instance holds nothing: the first keeps its lock alone.
  if (result != 0) lock_.Reset();
}

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

}  // namespace blindfold::x11
