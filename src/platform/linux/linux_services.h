#pragma once

#include <string>

#include <random>

#include "platform/crypto.h"
#include "platform/program_files.h"
#include "platform/random.h"
#include "platform/shell.h"
#include "platform/single_instance.h"
#include "core/unique_handle.h"
#include "platform/x11/x11_connection.h"

namespace blindfold::x11 {

struct FileDescriptorTraits {
  using Handle = int;
  static Handle Invalid() { return -1; }
  static void Close(Handle fd);
};
using UniqueFileDescriptor = UniqueHandle<FileDescriptorTraits>;

// The lock file of this X display in the session's runtime folder, locked with
// flock at construction, and a selection of the display owned by a window of
// this program: the kernel and the X server let go of them when the program
// ends, how ever it ends, so a crash never leaves a stale mark behind. The
// selection still finds another instance where no lock file can be made.
class X11SingleInstance final : public SingleInstance {
 public:
  // Without a connection, the lock file alone; `lockFile` empty (no runtime
  // folder), the selection alone.
  explicit X11SingleInstance(const std::string& lockFile, X11Connection* connection = nullptr);
  bool AnotherInstanceIsRunning() override { return anotherIsRunning_; }

  static std::string LockFileForDisplay(const std::string& displayName);
  // Whether a program has claimed `connection`'s display, without claiming it.
  static bool IsClaimed(X11Connection& connection);
  // Whether a program holds `lockFile`, without taking it: all a session
  // without an X server offers to tell.
  static bool IsLocked(const std::string& lockFile);

 private:
  UniqueFileDescriptor lock_;
  bool anotherIsRunning_ = false;
};

// Nettle's PBKDF2 with HMAC-SHA256 and the kernel's random source.
class NettleCrypto final : public Crypto {
 public:
  std::optional<std::vector<std::uint8_t>> Pbkdf2Sha256(std::string_view password, std::span<const std::uint8_t> salt,
                                                        std::uint32_t iterations, std::size_t length) override;
  std::optional<std::vector<std::uint8_t>> RandomBytes(std::size_t count) override;
};

// The desktop's own handlers, started without waiting for them.
class GioShell final : public Shell {
 public:
  bool OpenAddress(const std::string& address) override;
  bool StartProgram(const std::string& path) override;
  // The first of the desktops' system-information tools found on the PATH.
  std::optional<std::string> SystemInformationProgram() override;
};

// The running executable's place, read from /proc/self/exe.
class PosixProgramFiles final : public ProgramFiles {
 public:
  std::string ProgramFolder() override;
  std::string ShippedFile(std::string_view name) override;
  std::string ExecutableBaseName() override;
  bool FileExists(const std::string& path) override;
  std::optional<std::string> ReadFile(const std::string& path) override;
};

class ClockRandom final : public RandomSource {
 public:
  void SeedFromClock() override;
  // 24 random bits scaled by 2^-24: exact in a float and always below 1, which
  // a float distribution does not promise everywhere.
  float Next() override { return static_cast<float>(generator_() >> 8) / 16777216.0f; }

 private:
  std::mt19937 generator_;
};

}  // namespace blindfold::x11
