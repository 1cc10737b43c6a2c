#pragma once

#include "platform/crypto.h"

namespace blindfold::win32 {

// PBKDF2 and random bytes from the system's own cryptography (BCrypt).
class Win32Crypto final : public Crypto {
 public:
  std::optional<std::vector<std::uint8_t>> Pbkdf2Sha256(std::string_view password, std::span<const std::uint8_t> salt,
                                                        std::uint32_t iterations, std::size_t length) override;
  std::optional<std::vector<std::uint8_t>> RandomBytes(std::size_t count) override;
};

}  // namespace blindfold::win32
