#pragma once

#include <cstdint>
#include <string>

#include "platform/crypto.h"

namespace blindfold {

// A fast, deterministic stand-in for the platform's key derivation: a different
// password, salt, count or length gives different bytes. Not cryptography; the
// real derivation is tested on the platform.
class FakeCrypto final : public Crypto {
 public:
  std::optional<std::vector<std::uint8_t>> Pbkdf2Sha256(std::string_view password,
                                                        std::span<const std::uint8_t> salt,
                                                        std::uint32_t iterations, std::size_t length) override {
    ++derivations;
    if (refuse) return std::nullopt;
    std::uint64_t state = 1469598103934665603ull ^ iterations;
    const auto mix = [&](std::uint8_t byte) { state = (state ^ byte) * 1099511628211ull; };
    for (const char c : password) mix(static_cast<std::uint8_t>(c));
    mix(0xff);
    for (const std::uint8_t b : salt) mix(b);
    std::vector<std::uint8_t> key(length);
    for (std::uint8_t& byte : key) {
      mix(0x5a);
      byte = static_cast<std::uint8_t>(state >> 56);
    }
    lastPassword = std::string(password);
    return key;
  }
  std::optional<std::vector<std::uint8_t>> RandomBytes(std::size_t count) override {
    if (refuse) return std::nullopt;
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(++counter_ * 37);
    return bytes;
  }

  bool refuse = false;
  int derivations = 0;
  std::string lastPassword;

 private:
  std::uint32_t counter_ = 0;
};

}  // namespace blindfold
