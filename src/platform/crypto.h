#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace blindfold {

// The platform's own cryptography: nothing of it is written by hand.
class Crypto {
 public:
  virtual ~Crypto() = default;

  // PBKDF2 with HMAC-SHA256; nothing when the platform refuses.
  virtual std::optional<std::vector<std::uint8_t>> Pbkdf2Sha256(std::string_view password,
                                                                std::span<const std::uint8_t> salt,
                                                                std::uint32_t iterations, std::size_t length) = 0;
  // Bytes from the platform's cryptographic random source; nothing on failure.
  virtual std::optional<std::vector<std::uint8_t>> RandomBytes(std::size_t count) = 0;
};

}  // namespace blindfold
