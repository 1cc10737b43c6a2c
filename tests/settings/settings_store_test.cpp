#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_registry.h"

namespace blindfold {
namespace {

constexpr const char* kMachinePath = "HKLM\\Software\\Blindfold\\ShortcutKeys\\bMute";
constexpr const char* kUserPath = "HKCU\\Software\\Blindfold\\ShortcutKeys\\bMute";

TEST(ParseValuePath, AcceptsBothRootSpellings) {
  const auto shortForm = ParseValuePath("HKLM\\Software\\Blindfold\\AlwaysHide");
  const auto longForm =
      ParseValuePath("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\Blindfold");
  ASSERT_TRUE(shortForm && longForm);
  EXPECT_EQ(shortForm->root, RegistryRoot::LocalMachine);
  EXPECT_EQ(shortForm->key, "Software\\Blindfold");
  EXPECT_EQ(shortForm->name, "AlwaysHide");
  EXPECT_EQ(longForm->root, RegistryRoot::LocalMachine);
  EXPECT_EQ(longForm->key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
  EXPECT_EQ(ParseValuePath("hkey_current_user\\Software\\x")->root, RegistryRoot::CurrentUser);
}

TEST(ParseValuePath, RejectsMalformedPaths) {
  for (const char* path : {"", "HKLM", "HKLM\\name", "HKXX\\Software\\name", "HKLM\\\\name",
                           "HKLM\\Software\\", "\\Software\\name"}) {
    EXPECT_FALSE(ParseValuePath(path)) << path;
  }
}

class SettingsStoreTest : public testing::Test {
 protected:
  FakeRegistry registry;
  SettingsStore store{registry};
};

TEST_F(SettingsStoreTest, ValueNamesMatchWithoutRegardToCase) {
  ASSERT_TRUE(store.RegWrite("HKLM\\Software\\Blindfold\\ShortcutKeys\\PW", "key"));
  EXPECT_EQ(store.RegRead("HKLM\\Software\\Blindfold\\ShortcutKeys\\pw"), "key");
  ASSERT_TRUE(store.RegWrite("HKLM\\Software\\Blindfold\\ShortcutKeys\\Taskbar", "1"));
  EXPECT_EQ(store.RegRead("HKEY_LOCAL_MACHINE\\software\\blindfold\\shortcutkeys\\taskbar"), "1");
}

TEST_F(SettingsStoreTest, MissingValuesAndMalformedPathsFail) {
  EXPECT_EQ(store.RegRead(kMachinePath), std::nullopt);
  EXPECT_FALSE(store.RegDelete(kMachinePath));
  EXPECT_FALSE(store.RegWrite("Software\\Blindfold", "1"));
  EXPECT_EQ(registry.ValueCount(), 0u);
}

TEST_F(SettingsStoreTest, RefusedMachineWriteGoesToTheUser) {
  registry.refusedRoots.insert(RegistryRoot::LocalMachine);
  EXPECT_TRUE(store.RegWrite(kMachinePath, "1"));
  EXPECT_EQ(registry.Get(kUserPath), "1");
  EXPECT_EQ(registry.Get(kMachinePath), std::nullopt);
  EXPECT_EQ(store.RegRead(kMachinePath), "1");
}

TEST_F(SettingsStoreTest, UserCopyWinsOverMachinePreset) {
  registry.Set(kMachinePath, "0");
  registry.Set(kUserPath, "1");
  EXPECT_EQ(store.RegRead(kMachinePath), "1");
}

TEST_F(SettingsStoreTest, MachinePresetAppliesWithoutUserCopy) {
  registry.Set(kMachinePath, "1");
  EXPECT_EQ(store.RegRead(kMachinePath), "1");
}

TEST_F(SettingsStoreTest, SuccessfulMachineWriteIsNotShadowedByAnOldUserCopy) {
  registry.Set(kUserPath, "old");
  ASSERT_TRUE(store.RegWrite(kMachinePath, "new"));
  EXPECT_EQ(store.RegRead(kMachinePath), "new");
}

TEST_F(SettingsStoreTest, UserCopyThatCannotBeRemovedIsBroughtUpToDate) {
  registry.Set(kUserPath, "old");
  registry.refusedDeletes = true;
  ASSERT_TRUE(store.RegWrite(kMachinePath, "new"));
  EXPECT_EQ(store.RegRead(kMachinePath), "new");
}

TEST_F(SettingsStoreTest, WriteRefusedEverywhereFails) {
  registry.refusedRoots = {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser};
  EXPECT_FALSE(store.RegWrite(kMachinePath, "1"));
  EXPECT_EQ(registry.ValueCount(), 0u);
}

TEST_F(SettingsStoreTest, PerUserPathsHaveNoFallback) {
  registry.refusedRoots.insert(RegistryRoot::CurrentUser);
  EXPECT_FALSE(store.RegWrite(kUserPath, "1"));
  EXPECT_EQ(registry.Get(kMachinePath), std::nullopt);
}

TEST_F(SettingsStoreTest, DeleteRemovesBothCopies) {
  registry.Set(kMachinePath, "a");
  registry.Set(kUserPath, "b");
  EXPECT_TRUE(store.RegDelete(kMachinePath));
  EXPECT_EQ(store.RegRead(kMachinePath), std::nullopt);
}

TEST_F(SettingsStoreTest, DeleteReportsACopyThatCouldNotBeRemoved) {
  registry.Set(kMachinePath, "a");
  registry.Set(kUserPath, "b");
  registry.refusedRoots.insert(RegistryRoot::LocalMachine);
  EXPECT_FALSE(store.RegDelete(kMachinePath));
  EXPECT_EQ(registry.Get(kUserPath), std::nullopt);
}

TEST_F(SettingsStoreTest, UnusableStoreFailsEverything) {
  registry.unavailable = true;
  EXPECT_FALSE(store.RegWrite(kMachinePath, "1"));
  EXPECT_EQ(store.RegRead(kMachinePath), std::nullopt);
  EXPECT_FALSE(store.RegDelete(kMachinePath));
}

}  // namespace
}  // namespace blindfold
