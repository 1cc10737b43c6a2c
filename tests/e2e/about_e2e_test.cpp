#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <cstring>
#include <thread>

#include "clean_machine_test.h"
#include "driver.h"

#include <commctrl.h>

namespace blindfold::e2e {
namespace {

using namespace std::chrono_literals;

std::string Directory(const std::string& path) { return path.substr(0, path.find_last_of("\\/")); }

std::set<std::wstring> ShippedLines() {
  std::ifstream file(Directory(std::getenv("BLINDFOLD_EXE")) + "/acknowledgments.TXT", std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  std::set<std::wstring> lines;
  std::string line;
  for (char c : bytes.str()) {
    if (c == '\r') {
      lines.insert(std::wstring(line.begin(), line.end()));
      line.clear();
    } else if (c != '\n') {
      line += c;
    }
  }
  if (!line.empty()) lines.insert(std::wstring(line.begin(), line.end()));
  return lines;
}

class AboutE2E : public CleanMachineTest {
 protected:

  // Opens "Acknowledgments..." and returns the text it shows.
  static HWND OpenAcknowledgments(BlindfoldProcess& blindfold, HWND panel) {
    SelectPage(panel, 4);
    Click(FindControl(panel, L"Acknowledgments", L"Button"));
    return WaitForShownWindow(blindfold.Id(), L"Acknowledgments...");
  }

  static std::wstring TipText(HWND dialog) {
    HWND heading = FindControl(dialog, L"Blindfold acknowledgments...", L"Static");
    HWND text = GetNextWindow(heading, GW_HWNDNEXT);
    return TextOf(text);
  }
};

TEST_F(AboutE2E, AcknowledgmentsShowLinesOfTheShippedFile) {
  const auto lines = ShippedLines();
  ASSERT_GE(lines.size(), 3u);
  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);
  HWND dialog = OpenAcknowledgments(blindfold, panel);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Focused(dialog) == FindControl(dialog, L"OK", L"Button"); }, 2s))
      << "the dialog did not open on OK";
  EXPECT_TRUE(lines.contains(TipText(dialog))) << testing::PrintToString(TipText(dialog));
  Click(FindControl(dialog, L"&Next", L"Button"));
  std::this_thread::sleep_for(200ms);
  EXPECT_TRUE(lines.contains(TipText(dialog))) << testing::PrintToString(TipText(dialog));
  PressKeys({VK_ESCAPE});
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

TEST_F(AboutE2E, MissingFileExplainsHowToCreateIt) {
  const std::string file = Directory(std::getenv("BLINDFOLD_EXE")) + "/acknowledgments.TXT";
  ASSERT_EQ(std::rename(file.c_str(), (file + ".away").c_str()), 0);
  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  HWND dialog = panel ? OpenAcknowledgments(blindfold, panel) : nullptr;
  const std::wstring text = dialog ? TipText(dialog) : L"";
  std::rename((file + ".away").c_str(), file.c_str());
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(text,
            L"That the acknowledgments.TXT file was not found? \r\n\r\nCreate a text file named acknowledgments.TXT "
            L"using NotePad with 1 tip per line. Then place it in the same directory as the application. ");
  PressKeys({VK_RETURN});
}

TEST_F(AboutE2E, CheckForUpdatesHandsTheAddressToTheBrowser) {
  const char* recorder = std::getenv("BLINDFOLD_URL_RECORDER");
  ASSERT_NE(recorder, nullptr);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string log = std::string(temp) + "blindfold-opened.txt";
  std::remove(log.c_str());
  SetEnvironmentVariableA("BLINDFOLD_OPENED_ADDRESSES", log.c_str());
  // The stand-in browser answers web addresses for the test, in place of the
  // prefix's own; the original comes back afterwards.
  const std::wstring command = L"\"" + std::wstring(recorder, recorder + std::strlen(recorder)) + L"\" \"%1\"";
  HKEY classKey = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L"https\\shell\\open\\command", 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &classKey, nullptr),
            ERROR_SUCCESS);
  wchar_t original[1024] = {};
  DWORD originalSize = sizeof original;
  const bool hadOriginal =
      RegQueryValueExW(classKey, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(original), &originalSize) ==
      ERROR_SUCCESS;
  const auto setCommand = [&](const std::wstring& text) {
    RegSetValueExW(classKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  };
  setCommand(command);

  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);
  SelectPage(panel, 4);
  Click(FindControl(panel, L"<a>[ Check for Updates ]</a>"));
  std::string opened;
  EXPECT_TRUE(WaitUntil([&] {
    std::ifstream file(log);
    std::getline(file, opened);
    return !opened.empty();
  })) << (TopLevelWindows(blindfold.Id(), L"Blindfold").size() > 1 ? "a warning was shown" : "nothing happened");
  EXPECT_EQ(opened, "https://blindfold.example/BlindfoldUpdates.asp?version=1.3.10");
  EXPECT_TRUE(TopLevelWindows(blindfold.Id(), L"Blindfold", L"#32770").size() == 1);  // no warning box
  if (hadOriginal) setCommand(original);
  RegCloseKey(classKey);
}

}  // namespace
}  // namespace blindfold::e2e
