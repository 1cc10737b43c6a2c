#pragma once

#include <string>

#include "platform/crypto.h"
#include "platform/shell.h"
#include "platform/single_instance.h"
#include "platform/unique_handle.h"

namespace blindfold::x11 {

struct FileDescriptorTraits {
  using Handle = int;
  static Handle Invalid() { return -1; }
  static void Close(Handle fd);
};
using UniqueFileDescriptor = UniqueHandle<FileDescriptorTraits>;

// The lock file of this X display in the session's runtime folder, locked with
// flock at construction: the kernel lets go of it when the program ends, how
// ever it ends, so a crash never leaves a stale mark behind.
class X11SingleInstance final : public SingleInstance {
 public:
  // `lockFile` empty (no runtime folder) finds no other instance.
  explicit X11SingleInstance(const std::string& lockFile);
  bool AnotherInstanceIsRunning() override { return anotherIsRunning_; }

  static std::string LockFileForDisplay(const std::string& displayName);

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
};

}  // namespace blindfold::x11
