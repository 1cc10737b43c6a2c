#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/crypto.h"

namespace blindfold {

// The stored form of a password: never the password, but a salted, slow,
// one-way key that names its own algorithm and cost, so that the cost can rise
// later without breaking the keys already stored:
//   "pbkdf2-sha256$<iterations>$<salt, base64>$<key, base64>"
inline constexpr std::uint32_t kPasswordIterations = 600000;
inline constexpr std::size_t kPasswordSaltBytes = 16;
inline constexpr std::size_t kPasswordKeyBytes = 32;

// A new key for `password` with a fresh random salt; nothing when the platform
// cannot provide randomness or the derivation.
std::optional<std::string> MakePasswordKey(Crypto& crypto, std::string_view password);

// Whether a stored text is a key this program could have made. A stored text
// that is neither this nor empty admits no password at all.
bool IsWellFormedPasswordKey(std::string_view storedKey);

// Whether `password` gives `storedKey`. A stored text that is not such a key
// never matches: a damaged value keeps the guard closed rather than open.
bool PasswordMatchesKey(Crypto& crypto, std::string_view password, std::string_view storedKey);

// Overwrites a text's characters before it is released, where the compiler
// cannot drop the writes.
void WipeText(std::string& text);

std::string EncodeBase64(std::span<const std::uint8_t> bytes);
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text);

}  // namespace blindfold
