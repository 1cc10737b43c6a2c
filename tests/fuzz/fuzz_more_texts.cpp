// The password key text, the acknowledgments file and the recovery record,
// fed arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/password_key.h"
#include "info/tips.h"
#include "platform/fake/fake_crypto.h"
#include "platform/fake/fake_program_files.h"
#include "platform/fake/fake_random.h"
#include "platform/fake/fake_registry.h"
#include "windows/recovery.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  blindfold::FakeCrypto crypto;
  (void)blindfold::PasswordMatchesKey(crypto, "password", text);
  if (const auto bytes = blindfold::DecodeBase64(text)) {
    if (blindfold::EncodeBase64(*bytes).size() != text.size()) __builtin_trap();
  }

  const auto recovered = blindfold::RecoveryRecord::Parse(text);
  if (blindfold::RecoveryRecord::Parse(blindfold::RecoveryRecord::Format(recovered)) != recovered) __builtin_trap();

  blindfold::FakeRegistry registry;
  blindfold::FakeProgramFiles files;
  blindfold::FakeRandom random;
  files.files[files.folder + "\\acknowledgments.TXT"] = text;
  blindfold::AcknowledgmentsDialog tips(blindfold::TipsPlatform{registry, files, random});
  tips.Load();
  for (int i = 0; i < 3; ++i) tips.cmdNextTip_Click();
  if (!tips.TipLines.empty() &&
      (tips.CurrentTipIndex < 1 || tips.CurrentTipIndex > static_cast<std::int32_t>(tips.TipLines.size()))) {
    __builtin_trap();
  }
  return 0;
}
