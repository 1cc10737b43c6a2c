#include "platform/win32/win32_crypto.h"

#include <windows.h>
#include <bcrypt.h>

#include "platform/win32/late_bound.h"
#include "platform/win32/unique_handle.h"

namespace blindfold::win32 {
namespace {

// BCrypt is loaded with the first password to check or set.
struct BCrypt {
  decltype(BCryptOpenAlgorithmProvider)* open = LateBound<decltype(BCryptOpenAlgorithmProvider)>(
      L"bcrypt.dll", "BCryptOpenAlgorithmProvider");
  decltype(BCryptCloseAlgorithmProvider)* close = LateBound<decltype(BCryptCloseAlgorithmProvider)>(
      L"bcrypt.dll", "BCryptCloseAlgorithmProvider");
  decltype(BCryptDeriveKeyPBKDF2)* deriveKey =
      LateBound<decltype(BCryptDeriveKeyPBKDF2)>(L"bcrypt.dll", "BCryptDeriveKeyPBKDF2");
  decltype(BCryptGenRandom)* random = LateBound<decltype(BCryptGenRandom)>(L"bcrypt.dll", "BCryptGenRandom");
};

const BCrypt& Library() {
  static const BCrypt library;
  return library;
}

bool Succeeded(NTSTATUS status) { return status >= 0; }

}  // namespace

void AlgorithmTraits::Close(Handle algorithm) { Library().close(algorithm, 0); }

std::optional<std::vector<std::uint8_t>> Win32Crypto::Pbkdf2Sha256(std::string_view password,
                                                                   std::span<const std::uint8_t> salt,
                                                                   std::uint32_t iterations, std::size_t length) {
  const BCrypt& bcrypt = Library();
  if (!bcrypt.open || !bcrypt.close || !bcrypt.deriveKey) return std::nullopt;
  UniqueHandle<AlgorithmTraits> hmac;
  if (!Succeeded(bcrypt.open(hmac.Put(), BCRYPT_SHA256_ALGORITHM, nullptr,
                                             BCRYPT_ALG_HANDLE_HMAC_FLAG))) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> key(length);
  // The password is passed as its UTF-8 bytes.
  auto* passwordBytes = reinterpret_cast<PUCHAR>(const_cast<char*>(password.data()));
  if (!Succeeded(bcrypt.deriveKey(hmac.Get(), passwordBytes, static_cast<ULONG>(password.size()),
                                       const_cast<PUCHAR>(salt.data()), static_cast<ULONG>(salt.size()), iterations,
                                       key.data(), static_cast<ULONG>(key.size()), 0))) {
    return std::nullopt;
  }
  return key;
}

std::optional<std::vector<std::uint8_t>> Win32Crypto::RandomBytes(std::size_t count) {
  const auto random = Library().random;
  if (!random) return std::nullopt;
  std::vector<std::uint8_t> bytes(count);
  if (!Succeeded(random(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()),
                                 BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace blindfold::win32
