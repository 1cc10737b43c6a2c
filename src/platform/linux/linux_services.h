#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "platform/crypto.h"
#include "platform/program_files.h"
#include "platform/random.h"
#include "platform/shell.h"

namespace blindfold::linux_desktop {

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

}  // namespace blindfold::linux_desktop
