// The Linux platform's files and services, which need no desktop: the key-file
// store under the settings logic, the single-instance lock, the key derivation.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/password_key.h"
#include "platform/linux/door_record.h"
#include "platform/linux/key_file_registry.h"
#include "platform/linux/linux_services.h"
#include "platform/linux/session_lock.h"
#include "settings/registry_loader.h"
#include "settings/save_settings.h"
#include "settings/schema.h"
#include "settings/settings_store.h"
#include "windows/recovery.h"

namespace blindfold::linux_desktop {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteAll(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << text;
}

class KeyFileStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("blindfold-store-" + std::to_string(getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    paths.machineFile = root / "etc/xdg/blindfold/settings.ini";
    paths.userFile = root / "config/blindfold/settings.ini";
    paths.machineAutostart = root / "etc/xdg/autostart/blindfold.desktop";
    paths.userAutostart = root / "config/autostart/blindfold.desktop";
    paths.recordFile = root / "run/blindfold/hidden-windows-:5.ini";
  }
  void TearDown() override { fs::remove_all(root); }

  // The machine-wide folder as an ordinary user meets it: not writable. (The
  // tests may run as root, so the folder is made impossible instead.)
  void MakeMachineUnwritable() {
    WriteAll(root / "etc/blocked", "");
    paths.machineFile = root / "etc/blocked/settings.ini";
  }

  fs::path root;
  SettingsPaths paths;
  std::vector<std::string> reports;
  KeyFileRegistry MakeRegistry() {
    return KeyFileRegistry(paths, [this](const std::string& message) { reports.push_back(message); });
  }
};

TEST_F(KeyFileStoreTest, PerUserValuesWinAndWritesFallBackToThem) {
  WriteAll(paths.machineFile,
           "[Software/Blindfold/ShortcutKeys]\nBlindfoldShortcutKey=1,1,0,0,Q\nbMute=1\n");
  WriteAll(paths.userFile, "[software/blindfold/shortcutkeys]\nbmute=0\n");
  KeyFileRegistry registry = MakeRegistry();
  SettingsStore store(registry);

  EXPECT_EQ(store.RegRead(kMute.path), "0");                       // the user's own, matched without case
  EXPECT_EQ(store.RegRead(kBlindfoldShortcutKey.path), "1,1,0,0,Q");  // the machine's, the user having none
  EXPECT_FALSE(store.RegRead(kDecoy.path));

  MakeMachineUnwritable();
  KeyFileRegistry userOnly = MakeRegistry();
  SettingsStore userStore(userOnly);
  ASSERT_TRUE(userStore.RegWrite(kDecoy.path, "line one\nline two = [x]"));
  EXPECT_EQ(userStore.RegRead(kDecoy.path), "line one\nline two = [x]");
  // Written into the group already there, under its spelling.
  const std::string userText = ReadAll(paths.userFile);
  EXPECT_NE(userText.find("[software/blindfold/shortcutkeys]"), std::string::npos) << userText;
  EXPECT_EQ(userText.find("[Software/Blindfold/ShortcutKeys]"), std::string::npos) << userText;

  ASSERT_TRUE(userStore.RegDelete(kDecoy.path));
  EXPECT_FALSE(userStore.RegRead(kDecoy.path));
  EXPECT_FALSE(userStore.RegDelete(kDecoy.path));
  EXPECT_TRUE(reports.empty());
}

TEST_F(KeyFileStoreTest, EverySettingTheUserSavesComesBackAtTheNextStart) {
  MakeMachineUnwritable();
  paths.machineAutostart = root / "etc/blocked/blindfold.desktop";
  KeyFileRegistry registry = MakeRegistry();
  SettingsStore store(registry);
  PanelModel saved;
  LoadSettings(store, saved, "/usr/share/blindfold/bf.ico");
  saved.chkMute.value = 1;
  saved.Slider1.value = 37;
  saved.chkStartHidden.value = 1;
  saved.chkStartWithWindows.value = 1;
  saved.txtDecoy.text = "Quarterly report, draft 3";
  saved.chkTaskbar.value = 1;
  saved.alwaysHide.AddItem("Firefox");
  XdgAutostart autostart(paths, "/usr/lib/blindfold/Blindfold");
  EXPECT_TRUE(SaveSettings(store, saved, {&autostart, {}, {}}).empty());

  KeyFileRegistry nextStart = MakeRegistry();
  SettingsStore nextStore(nextStart);
  PanelModel loaded;
  LoadSettings(nextStore, loaded, "/usr/share/blindfold/bf.ico");
  EXPECT_EQ(loaded.chkMute.value, 1);
  EXPECT_EQ(loaded.Slider1.value, 37);
  EXPECT_EQ(loaded.chkStartHidden.value, 1);
  EXPECT_TRUE(XdgAutostart(paths, "/usr/lib/blindfold/Blindfold").IsOn());
  EXPECT_EQ(loaded.txtDecoy.text, "Quarterly report, draft 3");
  EXPECT_EQ(loaded.chkTaskbar.value, 1);
  EXPECT_EQ(HotkeyTextFromPanel(loaded, HotkeyId::Windows), kWindowsShortcutKey.defaultText);
  ASSERT_EQ(loaded.alwaysHide.ListCount(), 1u);
  EXPECT_EQ(loaded.alwaysHide.Row(0).text, "Firefox");
  // An entry the desktop can start.
  EXPECT_NE(ReadAll(paths.userAutostart).find("Exec=\"/usr/lib/blindfold/Blindfold\"\n"), std::string::npos)
      << ReadAll(paths.userAutostart);
  EXPECT_TRUE(reports.empty());
}

TEST_F(KeyFileStoreTest, FilesAreReplacedWholeAndKeptPrivate) {
  KeyFileRegistry registry = MakeRegistry();
  SettingsStore store(registry);
  ASSERT_TRUE(store.RegWrite("HKCU\\Software\\Blindfold\\ShortcutKeys\\PW", "pbkdf2-sha256$1$AA==$AA=="));
  struct stat info {};
  ASSERT_EQ(stat(paths.userFile.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_EQ(stat(fs::path(paths.userFile).parent_path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0077, 0u);
  // No temporary file left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(paths.userFile).parent_path()), fs::directory_iterator()),
            1);
  // A folder where the file should be: the write is refused and nothing is lost.
  fs::remove(paths.userFile);
  fs::create_directories(paths.userFile);
  EXPECT_FALSE(ReplaceFileAtomically(paths.userFile, "x"));
  EXPECT_TRUE(fs::is_directory(paths.userFile));
}

TEST_F(KeyFileStoreTest, ADamagedFileIsKeptAsideAndReportedOnce) {
  const std::string damaged = "[Software/Blindfold/ShortcutKeys\nbMute=1\n\xff\xfe garbage";
  WriteAll(paths.userFile, damaged);
  WriteAll(paths.userFile + ".damaged", "an older one");
  KeyFileRegistry registry = MakeRegistry();
  SettingsStore store(registry);
  EXPECT_FALSE(store.RegRead("HKCU\\Software\\Blindfold\\ShortcutKeys\\bMute"));
  EXPECT_FALSE(store.RegRead("HKCU\\Software\\Blindfold\\ShortcutKeys\\bMute"));
  ASSERT_EQ(reports.size(), 1u);
  const std::string keptAs = paths.userFile + ".damaged.2";
  EXPECT_NE(reports[0].find(keptAs), std::string::npos) << reports[0];
  EXPECT_EQ(ReadAll(keptAs), damaged);
  EXPECT_EQ(ReadAll(paths.userFile + ".damaged"), "an older one");
  ASSERT_TRUE(store.RegWrite("HKCU\\Software\\Blindfold\\ShortcutKeys\\bMute", "1"));
  EXPECT_EQ(store.RegRead("HKCU\\Software\\Blindfold\\ShortcutKeys\\bMute"), "1");
  EXPECT_EQ(reports.size(), 1u);
}

TEST_F(KeyFileStoreTest, StartAtLoginIsAnAutostartEntryTheUsersOwnDecides) {
  MakeMachineUnwritable();
  paths.machineAutostart = root / "etc/blocked/blindfold.desktop";
  XdgAutostart autostart(paths, "/opt/Blind fold/bin/blindfold");
  EXPECT_FALSE(autostart.IsOn());
  ASSERT_TRUE(autostart.TurnOn());
  EXPECT_TRUE(autostart.IsOn());
  const std::string entry = ReadAll(paths.userAutostart);
  EXPECT_NE(entry.find("[Desktop Entry]"), std::string::npos) << entry;
  EXPECT_NE(entry.find("Type=Application"), std::string::npos) << entry;
  EXPECT_NE(entry.find("Exec=\"/opt/Blind fold/bin/blindfold\""), std::string::npos) << entry;

  // Switched off in the desktop's own settings, then on again from the panel.
  WriteAll(paths.userAutostart, entry + "Hidden=true\n");
  EXPECT_FALSE(autostart.IsOn());
  ASSERT_TRUE(autostart.TurnOn());
  EXPECT_TRUE(autostart.IsOn());
  EXPECT_TRUE(autostart.TurnOff());
  EXPECT_FALSE(fs::exists(paths.userAutostart));
  EXPECT_FALSE(autostart.IsOn());


  // A machine-wide entry counts until the user's own says otherwise.
  fs::create_directories(root / "etc/xdg-machine");
  paths.machineAutostart = root / "etc/xdg-machine/blindfold.desktop";
  WriteAll(paths.machineAutostart, entry);
  XdgAutostart withMachineEntry(paths, "/opt/Blind fold/bin/blindfold");
  EXPECT_TRUE(withMachineEntry.IsOn());
  WriteAll(paths.userAutostart, entry + "Hidden=true\n");
  EXPECT_FALSE(withMachineEntry.IsOn());
}

TEST_F(KeyFileStoreTest, TheHiddenWindowRecordLivesInTheRuntimeFolder) {
  KeyFileRegistry registry = MakeRegistry();
  SettingsStore store(registry);
  const std::string record = RecoveryRecord::Format({{WindowHandle(0x400001), 77, "XTerm"}, {WindowHandle(0x600003), 78, "Firefox"}});
  ASSERT_TRUE(store.RegWrite(RecoveryRecord::kPath, record));
  EXPECT_EQ(store.RegRead(RecoveryRecord::kPath), record);
  EXPECT_TRUE(fs::exists(paths.recordFile));
  EXPECT_FALSE(fs::exists(paths.userFile));

  // No runtime folder: no place to keep it.
  paths.recordFile.clear();
  KeyFileRegistry withoutRuntime = MakeRegistry();
  EXPECT_FALSE(withoutRuntime.WriteValue({RegistryRoot::CurrentUser, "Software\\Blindfold\\Recovery", "HiddenWindows"},
                                         record));
}

// A door's record keeps any bytes a window's key or value may hold, and
// leaves no file behind once nothing is hidden.
TEST_F(KeyFileStoreTest, ADoorsRecordKeepsAnyBytesAndGoesWhenEmptied) {
  const std::string file = (root / "run/blindfold/kwin-wayland-1.record").string();
  EXPECT_TRUE(DoorRecord(file).Entries().empty());  // none yet
  const std::string key = "{a}\tb\nc\\";
  const std::string value = "t\xff\xfe\n\tx\x01";
  {
    DoorRecord record(file);
    ASSERT_TRUE(record.Put(key, value));
    ASSERT_TRUE(record.Put("{b}", ""));
  }
  DoorRecord readBack(file);
  EXPECT_EQ(readBack.Entries(), (std::map<std::string, std::string>{{key, value}, {"{b}", ""}}));
  ASSERT_TRUE(readBack.Remove(key));
  ASSERT_TRUE(readBack.Remove("{b}"));
  EXPECT_FALSE(fs::exists(file));
  EXPECT_FALSE(DoorRecord(file).Get(key));
}

TEST_F(KeyFileStoreTest, SystemInformationIsTheDesktopsToolWhenOneIsInstalled) {
  const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  const fs::path bin = root / "bin";
  fs::create_directories(bin);
  setenv("PATH", bin.c_str(), 1);
  GioShell shell;
  EXPECT_FALSE(shell.SystemInformationProgram()) << "none installed";
  WriteAll(bin / "mate-system-monitor", "#!/bin/sh\n");
  fs::permissions(bin / "mate-system-monitor", fs::perms::owner_all);
  EXPECT_EQ(shell.SystemInformationProgram(), (bin / "mate-system-monitor").string());
  setenv("PATH", savedPath.c_str(), 1);
}

TEST(SessionLock, TheSecondLockOfADisplayFindsTheFirst) {
  const fs::path lock = fs::temp_directory_path() / ("blindfold-lock-" + std::to_string(getpid())) / "x.lock";
  {
    SessionLock first(lock);
    EXPECT_FALSE(first.AnotherInstanceIsRunning());
    SessionLock second(lock);
    EXPECT_TRUE(second.AnotherInstanceIsRunning());
    SessionLock otherDisplay(lock.string() + "2");
    EXPECT_FALSE(otherDisplay.AnotherInstanceIsRunning());
  }
  // The first has ended: its lock went with it.
  SessionLock next(lock);
  EXPECT_FALSE(next.AnotherInstanceIsRunning());
  fs::remove_all(lock.parent_path());
}

TEST(PosixProgramFiles, FindsTheRunningProgramAndReadsFiles) {
  PosixProgramFiles files;
  const fs::path self = fs::read_symlink("/proc/self/exe");
  EXPECT_EQ(files.ProgramFolder(), self.parent_path().string());
  EXPECT_EQ(files.ExecutableBaseName(), "linux_tests");
  const fs::path file = fs::temp_directory_path() / ("blindfold-read-" + std::to_string(getpid()));
  WriteAll(file, std::string("two\0lines\n", 10));
  EXPECT_TRUE(files.FileExists(file));
  EXPECT_EQ(files.ReadFile(file), std::string("two\0lines\n", 10));
  EXPECT_FALSE(files.FileExists(fs::temp_directory_path())) << "a folder is no file";
  fs::remove(file);
  EXPECT_FALSE(files.FileExists(file));
  EXPECT_FALSE(files.ReadFile(file));

  ClockRandom random;
  random.SeedFromClock();
  float lowest = 1;
  float highest = 0;
  for (int i = 0; i < 10000; ++i) {
    const float r = random.Next();
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
    lowest = std::min(lowest, r);
    highest = std::max(highest, r);
  }
  EXPECT_LT(lowest, 0.01f);
  EXPECT_GT(highest, 0.99f);
}

TEST(NettleCrypto, DerivesTheStandardKeysAndStoresTheUsualForm) {
  NettleCrypto crypto;
  // RFC 7914, section 11: PBKDF2-HMAC-SHA256 ("passwd", "salt", 1, 64).
  const std::string salt = "salt";
  const auto key = crypto.Pbkdf2Sha256("passwd", {reinterpret_cast<const std::uint8_t*>(salt.data()), salt.size()},
                                       1, 64);
  ASSERT_TRUE(key);
  EXPECT_EQ(EncodeBase64(*key),
            "VawEblbjCJ/sFpHCJUS2BflBhSFt3gRl5oudV8INrLxJypzM8Xm2RZkWZLOdd+8xfHG4RbHjC9UJESBB06GXgw==");

  const auto random = crypto.RandomBytes(32);
  ASSERT_TRUE(random);
  EXPECT_EQ(random->size(), 32u);
  EXPECT_NE(random, crypto.RandomBytes(32));

  const auto stored = MakePasswordKey(crypto, "s3cret");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->rfind("pbkdf2-sha256$600000$", 0), 0u) << *stored;
  EXPECT_TRUE(PasswordMatchesKey(crypto, "s3cret", *stored));
  EXPECT_FALSE(PasswordMatchesKey(crypto, "s3cret!", *stored));
}

}  // namespace
}  // namespace blindfold::linux_desktop
