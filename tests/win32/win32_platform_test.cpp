#include <windows.h>
#include <audioclient.h>
#include <audiopolicy.h>
#include <mmdeviceapi.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/password_key.h"
#include "platform/win32/win32_crypto.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_mixer.h"
#include "platform/win32/win32_shell.h"
#include "platform/fake/fake_program_files.h"
#include "platform/fake/fake_registry.h"
#include "platform/win32/win32_tray.h"

namespace blindfold::win32 {
namespace {

struct TipCase {
  std::size_t length;
  bool hasNul;
};

class TipFieldTest : public testing::TestWithParam<TipCase> {};

TEST_P(TipFieldTest, TextThenNulThenBlanksCutAtSixtyFour) {
  const std::string tip(GetParam().length, 't');
  const std::wstring field = TipField(tip);
  ASSERT_EQ(field.size(), 64u);
  const std::size_t kept = std::min<std::size_t>(GetParam().length, 64);
  EXPECT_EQ(field.substr(0, kept), std::wstring(kept, L't'));
  if (GetParam().hasNul) {
    EXPECT_EQ(field[kept], L'\0');
    EXPECT_EQ(field.substr(kept + 1), std::wstring(63 - kept, L' '));
  } else {
    EXPECT_EQ(field.find(L'\0'), std::wstring::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, TipFieldTest,
                         testing::Values(TipCase{0, true}, TipCase{1, true}, TipCase{63, true}, TipCase{64, false},
                                         TipCase{100, false}));

TEST(TipField, KeepsCharactersBeyondAscii) {
  EXPECT_EQ(TipField("Tarnkappe – 東京").substr(0, 14), L"Tarnkappe – 東京");
  EXPECT_EQ(TipField("😀").substr(0, 2), L"😀");
}

TEST(TipField, BrokenSequencesBecomeReplacementCharacters) {
  // A cut-off sequence: whether the byte after it survives is the platform
  // conversion's choice (Windows keeps it, Wine does not).
  EXPECT_EQ(TipField("a\xE6" "b").substr(0, 2), L"a\uFFFD");
  EXPECT_EQ(TipField("\x80z").substr(0, 2), L"\uFFFDz");      // stray continuation byte
  EXPECT_EQ(TipField("x\xF0").substr(0, 2), L"x\uFFFD");      // cut off at the end
}


std::string Hex(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t byte : bytes) (text += kDigits[byte >> 4]) += kDigits[byte & 15];
  return text;
}

struct Pbkdf2Vector {
  std::uint32_t iterations;
  const char* key;
};

class Pbkdf2 : public testing::TestWithParam<Pbkdf2Vector> {};

// Published PBKDF2-HMAC-SHA256 vectors for "password" and "salt".
TEST_P(Pbkdf2, MatchesThePublishedVectors) {
  Win32Crypto crypto;
  const std::string salt = "salt";
  const auto key = crypto.Pbkdf2Sha256(
      "password", std::span(reinterpret_cast<const std::uint8_t*>(salt.data()), salt.size()), GetParam().iterations, 32);
  ASSERT_TRUE(key);
  EXPECT_EQ(Hex(*key), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, Pbkdf2,
    testing::Values(Pbkdf2Vector{1, "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b"},
                    Pbkdf2Vector{2, "ae4d0c95af6b46d32d0adff928f06dd02a303f8ef3c251dfd6e2d85a95474c43"},
                    Pbkdf2Vector{4096, "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a"}));

TEST(Win32Crypto, PasswordKeysWorkEndToEnd) {
  Win32Crypto crypto;
  const auto first = MakePasswordKey(crypto, "Überweisung");
  const auto second = MakePasswordKey(crypto, "Überweisung");
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);
  EXPECT_TRUE(PasswordMatchesKey(crypto, "Überweisung", *first));
  EXPECT_FALSE(PasswordMatchesKey(crypto, "uberweisung", *first));
}

// The test command starts a PulseAudio null sink and says so; without one the
// machine may simply have no audio device.
TEST(WinmmMixer, FindsAndSetsTheSpeakersVolume) {
  if (!std::getenv("BLINDFOLD_AUDIO_DEVICE")) GTEST_SKIP() << "no audio device was set up for this run";
  WinmmMixer mixer;
  ASSERT_TRUE(mixer.Open());
  const auto volume = mixer.FindSpeakersVolume();
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->minimum, 0);
  EXPECT_EQ(volume->maximum, 65535);
  EXPECT_TRUE(mixer.SetValue(*volume, 0));
  EXPECT_TRUE(mixer.SetValue(*volume, 24050));
  EXPECT_TRUE(mixer.SetValue(*volume, 65000));
}

TEST(Win32Mixer, UsesAVolumeItCanSet) {
  if (!std::getenv("BLINDFOLD_AUDIO_DEVICE")) GTEST_SKIP() << "no audio device was set up for this run";
  Win32Mixer mixer;
  ASSERT_TRUE(mixer.Open());
  const auto volume = mixer.FindSpeakersVolume();
  ASSERT_TRUE(volume);
  EXPECT_TRUE(mixer.SetValue(*volume, 24050));
}

// This process opens a stream of its own on the speakers, which makes it an
// audio session; the mixer finds it as this process's stream, mutes it and
// gives it back.
TEST(Win32Mixer, MutesAndUnmutesAProgramsAudioSession) {
  if (!std::getenv("BLINDFOLD_AUDIO_DEVICE")) GTEST_SKIP() << "no audio device was set up for this run";
  Win32Mixer mixer;
  ASSERT_TRUE(mixer.Open());
  UniqueHandle<ComTraits<IMMDeviceEnumerator>> devices;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                         __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(devices.Put()))));
  UniqueHandle<ComTraits<IMMDevice>> speakers;
  ASSERT_TRUE(SUCCEEDED(devices.Get()->GetDefaultAudioEndpoint(eRender, eConsole, speakers.Put())));
  UniqueHandle<ComTraits<IAudioClient>> client;
  ASSERT_TRUE(SUCCEEDED(speakers.Get()->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                                 reinterpret_cast<void**>(client.Put()))));
  WAVEFORMATEX* format = nullptr;
  ASSERT_TRUE(SUCCEEDED(client.Get()->GetMixFormat(&format)));
  const HRESULT initialised = client.Get()->Initialize(AUDCLNT_SHAREMODE_SHARED, 0, 10000000, 0, format, nullptr);
  CoTaskMemFree(format);
  ASSERT_TRUE(SUCCEEDED(initialised));

  // Wine gives out the session manager but, up to 8.0 at least, no list of
  // its sessions: there this test can only say so.
  UniqueHandle<ComTraits<IAudioSessionManager2>> manager;
  UniqueHandle<ComTraits<IAudioSessionEnumerator>> sessions;
  ASSERT_TRUE(SUCCEEDED(speakers.Get()->Activate(__uuidof(IAudioSessionManager2), CLSCTX_ALL, nullptr,
                                                 reinterpret_cast<void**>(manager.Put()))));
  if (const HRESULT listed = manager.Get()->GetSessionEnumerator(sessions.Put()); FAILED(listed)) {
    GTEST_SKIP() << "the audio sessions cannot be listed here (" << std::hex << listed << ")";
  }

  const auto ours = [&mixer]() -> std::optional<ProgramStream> {
    for (const ProgramStream& stream : mixer.ProgramStreams()) {
      if (!stream.processes.empty() && stream.processes.front() == GetCurrentProcessId()) return stream;
    }
    return std::nullopt;
  };
  const auto stream = ours();
  ASSERT_TRUE(stream) << "no audio session of this process is listed";
  EXPECT_FALSE(stream->muted);
  EXPECT_TRUE(mixer.SetStreamMuted(stream->id, true));
  EXPECT_TRUE(ours()->muted);
  EXPECT_TRUE(mixer.SetStreamMuted(stream->id, false));
  EXPECT_FALSE(ours()->muted);
  EXPECT_FALSE(mixer.SetStreamMuted(stream->id + 1, true));  // no such stream
}

// Where Windows registers System Information: first its full path, then the
// folder that holds it; machine-wide only.
TEST(Win32Shell, FindsSystemInformationWhereWindowsRegistersIt) {
  const std::string pathValue = "HKLM\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO\\PATH";
  const std::string folderValue = "HKLM\\SOFTWARE\\Microsoft\\Shared Tools Location\\MSINFO";
  const std::string registered = "C:\\Tools\\System Info\\msinfo32.exe";
  const std::string inFolder = "D:\\Shared\\MSINFO\\MSINFO32.EXE";
  struct Case {
    const char* name;
    std::optional<std::string> path, folder;
    bool programInFolder;
    std::optional<std::string> expected;
  };
  for (const Case& c : std::vector<Case>{
           {"path wins over folder, unchecked", registered, "D:\\Shared\\MSINFO", false, registered},
           {"folder holding the program", std::nullopt, "D:\\Shared\\MSINFO", true, inFolder},
           {"folder without the program", std::nullopt, "D:\\Shared\\MSINFO", false, std::nullopt},
           {"nothing registered", std::nullopt, std::nullopt, true, std::nullopt},
           {"an empty path is still read", "", "D:\\Shared\\MSINFO", true, ""}}) {
    FakeRegistry registry;
    FakeProgramFiles files;
    if (c.path) registry.Set(pathValue, *c.path);
    if (c.folder) registry.Set(folderValue, *c.folder);
    if (c.programInFolder) files.files[inFolder] = "";
    EXPECT_EQ(Win32Shell(registry, files).SystemInformationProgram(), c.expected) << c.name;
  }
  FakeRegistry perUser;
  FakeProgramFiles files;
  perUser.Set("HKCU\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO\\PATH", registered);
  EXPECT_EQ(Win32Shell(perUser, files).SystemInformationProgram(), std::nullopt);
}

}  // namespace
}  // namespace blindfold::win32
