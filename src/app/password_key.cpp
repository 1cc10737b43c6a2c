#include "app/password_key.h"

#include <array>

#include "settings/value_text.h"

namespace blindfold {
namespace {

constexpr std::string_view kAlgorithm = "pbkdf2-sha256";
// A stored cost above this is refused rather than run: a damaged value must not
// freeze the program for minutes.
constexpr long long kMaxIterations = 10'000'000;
constexpr std::string_view kBase64Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool EqualInConstantTime(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  if (a.size() != b.size()) return false;
  std::uint8_t difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) difference = static_cast<std::uint8_t>(difference | (a[i] ^ b[i]));
  return difference == 0;
}

}  // namespace

std::string EncodeBase64(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = 0;
    for (std::size_t j = 0; j < 3; ++j) group = (group << 8) | (j < count ? bytes[i + j] : 0u);
    for (std::size_t j = 0; j < 4; ++j) {
      text += j <= count ? kBase64Alphabet[(group >> (18 - 6 * j)) & 0x3F] : '=';
    }
  }
  return text;
}

std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    std::uint32_t group = 0;
    int padding = 0;
    for (std::size_t j = 0; j < 4; ++j) {
      const char c = text[i + j];
      std::size_t value = 0;
      if (c == '=' && i + 4 == text.size() && j >= 2) {
        ++padding;
      } else if (padding > 0 || (value = kBase64Alphabet.find(c)) == std::string_view::npos) {
        return std::nullopt;
      }
      group = (group << 6) | static_cast<std::uint32_t>(value);
    }
    for (int j = 0; j < 3 - padding; ++j) bytes.push_back(static_cast<std::uint8_t>(group >> (16 - 8 * j)));
  }
  return bytes;
}

std::optional<std::string> MakePasswordKey(Crypto& crypto, std::string_view password) {
  const auto salt = crypto.RandomBytes(kPasswordSaltBytes);
  if (!salt || salt->size() != kPasswordSaltBytes) return std::nullopt;
  const auto key = crypto.Pbkdf2Sha256(password, *salt, kPasswordIterations, kPasswordKeyBytes);
  if (!key) return std::nullopt;
  return std::string(kAlgorithm) + "$" + std::to_string(kPasswordIterations) + "$" + EncodeBase64(*salt) + "$" +
         EncodeBase64(*key);
}

namespace {

struct StoredKey {
  std::uint32_t iterations = 0;
  std::vector<std::uint8_t> salt;
  std::vector<std::uint8_t> key;
};

std::optional<StoredKey> ParseStoredKey(std::string_view storedKey) {
  const auto fields = SplitText(storedKey, '$');
  if (fields.size() != 4 || fields[0] != kAlgorithm) return std::nullopt;
  const auto iterations = ParseWholeNumber(fields[1]);
  auto salt = DecodeBase64(fields[2]);
  auto expected = DecodeBase64(fields[3]);
  if (!iterations || *iterations < 1 || *iterations > kMaxIterations || !salt || salt->empty() || !expected ||
      expected->empty() || expected->size() > 64) {
    return std::nullopt;
  }
  return StoredKey{static_cast<std::uint32_t>(*iterations), std::move(*salt), std::move(*expected)};
}

}  // namespace

bool IsWellFormedPasswordKey(std::string_view storedKey) { return ParseStoredKey(storedKey).has_value(); }

bool PasswordMatchesKey(Crypto& crypto, std::string_view password, std::string_view storedKey) {
  const auto stored = ParseStoredKey(storedKey);
  if (!stored) return false;
  const auto key = crypto.Pbkdf2Sha256(password, stored->salt, stored->iterations, stored->key.size());
  return key && EqualInConstantTime(*key, stored->key);
}

void WipeText(std::string& text) {
  volatile char* characters = text.data();
  for (std::size_t i = 0; i < text.size(); ++i) characters[i] = '\0';
  text.clear();
}

}  // namespace blindfold
