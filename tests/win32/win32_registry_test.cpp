#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>

#include "panel/panel_model.h"
#include "platform/fake/fake_registry.h"
#include "settings/registry_loader.h"

namespace blindfold::win32 {
namespace {

constexpr const wchar_t* kTestKey = L"Software\\BlindfoldRegistryTest";

void DeleteTree(HKEY root, const wchar_t* parent, const wchar_t* child) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, parent, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &key) == ERROR_SUCCESS) {
    RegDeleteTreeW(key, child);
    RegCloseKey(key);
  }
}

// Stores a value of any type in the 32-bit view, as another program might.
void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

class Win32RegistryTest : public testing::Test {
 protected:
  void SetUp() override { DeleteTree(HKEY_CURRENT_USER, L"Software", L"BlindfoldRegistryTest"); }
  void TearDown() override { SetUp(); }

  static RegistryLocation At(const char* name) {
    return {RegistryRoot::CurrentUser, "Software\\BlindfoldRegistryTest", name};
  }

  Win32Registry registry;
};

TEST_F(Win32RegistryTest, TextRoundTripsWhole) {
  // Around the reader's first buffer of 512 bytes, and far beyond it.
  const std::string texts[] = {"", "1,0,0,0,X", "Überweisung – 東京 🙈", std::string(255, 'y'), std::string(256, 'z'),
                               std::string(1 << 20, 'x')};
  for (const std::string& text : texts) {
    ASSERT_TRUE(registry.WriteValue(At("Value"), text));
    EXPECT_EQ(registry.ReadValue(At("value")), text);
  }
}

TEST_F(Win32RegistryTest, MissingValuesAndKeysReadAsMissing) {
  EXPECT_EQ(registry.ReadValue(At("Nothing")), std::nullopt);
  EXPECT_FALSE(registry.DeleteValue(At("Nothing")));
  ASSERT_TRUE(registry.WriteValue(At("Gone"), "1"));
  EXPECT_TRUE(registry.DeleteValue(At("GONE")));
  EXPECT_EQ(registry.ReadValue(At("Gone")), std::nullopt);

  // The key itself deleted by another program after a read, then made again
  // with other values: what is read is what is there now.
  ASSERT_TRUE(registry.WriteValue(At("Kept"), "before"));
  ASSERT_EQ(registry.ReadValue(At("Kept")), "before");
  DeleteTree(HKEY_CURRENT_USER, L"Software", L"BlindfoldRegistryTest");
  EXPECT_EQ(registry.ReadValue(At("Kept")), std::nullopt);
  SetRaw(L"Kept", REG_SZ, L"after", sizeof L"after");
  EXPECT_EQ(registry.ReadValue(At("Kept")), "after");
  DeleteTree(HKEY_CURRENT_USER, L"Software", L"BlindfoldRegistryTest");
  SetRaw(L"Kept", REG_SZ, L"again", sizeof L"again");
  EXPECT_EQ(registry.ReadValue(At("Kept")), "again");
}

TEST_F(Win32RegistryTest, NumbersReadAsDecimalTextAndOtherKindsAsMissing) {
  const DWORD one = 1;
  const DWORD minusOne = 0xffffffff;
  const BYTE bytes[] = {1, 2, 3};
  const wchar_t multi[] = L"a\0b\0";
  SetRaw(L"Dword", REG_DWORD, &one, sizeof one);
  SetRaw(L"Negative", REG_DWORD, &minusOne, sizeof minusOne);
  SetRaw(L"Short", REG_DWORD, bytes, 2);
  SetRaw(L"Binary", REG_BINARY, bytes, sizeof bytes);
  SetRaw(L"Multi", REG_MULTI_SZ, multi, sizeof multi);
  EXPECT_EQ(registry.ReadValue(At("Dword")), "1");
  EXPECT_EQ(registry.ReadValue(At("Negative")), "-1");
  EXPECT_EQ(registry.ReadValue(At("Short")), std::nullopt);
  EXPECT_EQ(registry.ReadValue(At("Binary")), std::nullopt);
  EXPECT_EQ(registry.ReadValue(At("Multi")), std::nullopt);
}

TEST_F(Win32RegistryTest, StringsAreCutAtTheirFirstNulAndNeedNoTerminator) {
  const wchar_t withNul[] = L"1,0\0,0,0,X";
  const wchar_t unterminated[] = {L'o', L'k'};
  SetRaw(L"WithNul", REG_SZ, withNul, sizeof withNul);
  SetRaw(L"Unterminated", REG_SZ, unterminated, sizeof unterminated);
  SetRaw(L"OddSize", REG_SZ, L"abc", 3);
  EXPECT_EQ(registry.ReadValue(At("WithNul")), "1,0");
  EXPECT_EQ(registry.ReadValue(At("Unterminated")), "ok");
  EXPECT_EQ(registry.ReadValue(At("OddSize")), "a");
}

TEST_F(Win32RegistryTest, ValuesLiveInTheThirtyTwoBitView) {
  ASSERT_TRUE(registry.WriteValue(At("View"), "32"));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key),
            ERROR_SUCCESS);
  wchar_t text[8] = {};
  DWORD size = sizeof text;
  EXPECT_EQ(RegQueryValueExW(key, L"View", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text, L"32");
  RegCloseKey(key);
}

std::set<std::wstring> ValueNames(HKEY root, const wchar_t* path) {
  std::set<std::wstring> names;
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path, 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) return names;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.insert(name);
  }
  RegCloseKey(key);
  return names;
}

TEST(Win32Settings, FreshStoreHoldsExactlyTheThreeHotkeyDefaults) {
  DeleteTree(HKEY_LOCAL_MACHINE, L"Software", L"Blindfold");
  DeleteTree(HKEY_CURRENT_USER, L"Software", L"Blindfold");
  Win32Registry registry;
  SettingsStore store(registry);
  PanelModel panel;
  LoadSettings(store, panel, "C:\\Blindfold\\bf.ico");

  const wchar_t* key = L"Software\\Blindfold\\ShortcutKeys";
  EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, key),
            (std::set<std::wstring>{L"BlindfoldShortcutKey", L"WindowsShortcutKey", L"PanicShortcutKey"}));
  EXPECT_TRUE(ValueNames(HKEY_CURRENT_USER, key).empty());
  EXPECT_EQ(store.RegRead("HKLM\\Software\\Blindfold\\ShortcutKeys\\BlindfoldShortcutKey"), "1,0,0,0,X");
  EXPECT_EQ(store.RegRead("HKLM\\Software\\Blindfold\\ShortcutKeys\\WindowsShortcutKey"), "1,0,0,0,Z");
  EXPECT_EQ(store.RegRead("HKLM\\Software\\Blindfold\\ShortcutKeys\\PanicShortcutKey"), "1,0,0,0,V");
  EXPECT_EQ(HotkeyKeyBox(panel, HotkeyId::Panic).text, "V");
  DeleteTree(HKEY_LOCAL_MACHINE, L"Software", L"Blindfold");
}

// The start at log-on, kept as Windows keeps it, on a registry that can refuse.
class Win32AutostartTest : public testing::Test {
 protected:
  const std::string kMachine = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\Blindfold";
  const std::string kUser = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\Blindfold";
  FakeRegistry registry;
  Win32Autostart autostart{registry, "C:\\Tools\\Blindfold.exe"};
};

TEST_F(Win32AutostartTest, OnWhenTheStoredPathNamesTheProductPastItsFirstCharacter) {
  for (const auto& [value, on] : std::vector<std::pair<const char*, bool>>{{"C:\\Tools\\Blindfold\\Blindfold.exe", true},
                                                                          {"Blindfold.exe", false},
                                                                          {"Blindfold\\Blindfold.exe", false},
                                                                          {"xBlindfold", true},
                                                                          {"C:\\blindfold.exe", false},
                                                                          {"", false}}) {
    registry.Set(kMachine, value);
    EXPECT_EQ(autostart.IsOn(), on) << value;
  }
  registry.Set(kUser, "Blindfold.exe");  // the per-user value wins
  registry.Set(kMachine, "C:\\Tools\\Blindfold.exe");
  EXPECT_FALSE(autostart.IsOn());
}

TEST_F(Win32AutostartTest, MachineWideWhereAllowedElsePerUserAndOffRemovesEveryCopy) {
  registry.Set(kUser, "C:\\Old\\Blindfold.exe");
  EXPECT_TRUE(autostart.TurnOn());
  EXPECT_EQ(registry.Get(kMachine), "C:\\Tools\\Blindfold.exe");
  EXPECT_EQ(registry.Get(kUser), std::nullopt);  // it would shadow the new one
  EXPECT_TRUE(autostart.TurnOff());
  EXPECT_EQ(registry.Get(kMachine), std::nullopt);

  registry.refusedRoots = {RegistryRoot::LocalMachine};
  EXPECT_TRUE(autostart.TurnOn());
  EXPECT_EQ(registry.Get(kUser), "C:\\Tools\\Blindfold.exe");
  EXPECT_TRUE(autostart.TurnOff());
  EXPECT_TRUE(autostart.TurnOff());  // nothing left: not a failure

  registry.Set(kMachine, "C:\\Tools\\Blindfold.exe");
  EXPECT_FALSE(autostart.TurnOff());  // an entry stays that would start it
}

}  // namespace
}  // namespace blindfold::win32
