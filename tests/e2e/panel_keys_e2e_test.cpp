// The panel answers the keys every tabbed dialog does, and leaves no user
// without a way back in.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <thread>
#include <vector>

#include "clean_machine_test.h"
#include "driver.h"

#include <commctrl.h>

namespace blindfold::e2e {
namespace {

using namespace std::chrono_literals;

class PanelKeysE2E : public CleanMachineTest {};

std::wstring ClassOf(HWND window) {
  wchar_t name[64]{};
  GetClassNameW(window, name, 64);
  return name;
}

// What a box of another program holds now (its window text is only what it
// was made with).
std::wstring BoxText(HWND box) {
  wchar_t text[64]{};
  SendMessageW(box, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
  return text;
}

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

int SelectedPage(HWND panel) {
  return static_cast<int>(SendMessageW(FindControl(panel, L"", WC_TABCONTROLW), TCM_GETCURSEL, 0, 0));
}

TEST_F(PanelKeysE2E, PagesEnterAndEscapeAsInEveryTabbedDialog) {
  BlindfoldProcess blindfold;
  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);
  SetForegroundWindow(panel);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == panel; }, 2s));

  PressKeys({VK_CONTROL, VK_TAB});
  EXPECT_TRUE(WaitUntil([&] { return SelectedPage(panel) == 1; }, 3s));
  PressKeys({VK_CONTROL, VK_NEXT});
  EXPECT_TRUE(WaitUntil([&] { return SelectedPage(panel) == 2; }, 3s));
  PressKeys({VK_CONTROL, VK_SHIFT, VK_TAB});
  EXPECT_TRUE(WaitUntil([&] { return SelectedPage(panel) == 1; }, 3s));
  PressKeys({VK_CONTROL, VK_PRIOR});
  PressKeys({VK_CONTROL, VK_PRIOR});  // round the end
  EXPECT_TRUE(WaitUntil([&] { return SelectedPage(panel) == 4; }, 3s));

  // Enter in the password box sets the password; the panel stays.
  SelectPage(panel, 2);
  HWND password = PasswordBox(panel);
  ASSERT_NE(password, nullptr);
  ASSERT_TRUE(TypeInto(password, "abc"));
  PressKeys({VK_RETURN});
  EXPECT_TRUE(WaitUntil([&] { return ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"PW").value_or(L"") != L""; }));
  EXPECT_TRUE(Visible(panel));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(panel) != FALSE; })) << "still busy after the password was set";

  // Alt and a letter: a label's letter leads into its box.
  SelectPage(panel, 1);
  PressKeys({VK_MENU, 'E'});
  EXPECT_TRUE(WaitUntil([&] { return ClassOf(Focused(panel)) == L"Edit" && BoxText(Focused(panel)) == L"Z"; }, 3s))
      << "Alt+E left the focus on " << testing::PrintToString(BoxText(Focused(panel)));

  // A group of option buttons is one Tab stop; the arrows move in it and choose.
  SelectPage(panel, 3);
  HWND dblRight = FindControl(panel, L"[Dbl right click]", L"Button");
  HWND right = FindControl(panel, L"[Right click]", L"Button");
  PressKeys({VK_MENU, 'D'});
  EXPECT_TRUE(WaitUntil([&] { return Checked(dblRight); }, 3s))
      << "page " << SelectedPage(panel) << ", focus on " << testing::PrintToString(ClassOf(Focused(panel)));
  PressKeys({VK_RIGHT});
  EXPECT_TRUE(WaitUntil([&] { return Checked(right) && !Checked(dblRight) && Focused(panel) == right; }, 3s));
  PressKeys({VK_TAB});
  EXPECT_TRUE(WaitUntil([&] { return ClassOf(Focused(panel)) == L"Edit"; }, 3s)) << "Tab stopped inside the group";
  PressKeys({VK_SHIFT, VK_TAB});
  EXPECT_TRUE(WaitUntil([&] { return Focused(panel) == right; }, 3s)) << "Shift+Tab did not come back to the chosen one";

  // Esc is the close box: hidden, nothing saved.
  HWND hideTaskbar = nullptr;
  SelectPage(panel, 0);
  hideTaskbar = FindControl(panel, L"[ Hide Taskbar ]", L"Button");
  ASSERT_TRUE(ToggleCheckBox(hideTaskbar));
  PressKeys({VK_ESCAPE});
  EXPECT_TRUE(WaitUntil([&] { return !Visible(panel); }));
  EXPECT_EQ(ReadSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"Taskbar").value_or(L"0"), L"0");
}

// Its hotkey held by another program and no tray icon: a panel that started
// hidden could never be shown, so it shows, saying why, and stays.
TEST_F(PanelKeysE2E, WithNoWayInThePanelShowsOnTheHotkeysPage) {
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"StartHidden", L"1");
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_WIN | MOD_NOREPEAT, 'X'));
  BlindfoldProcess blindfold;
  HWND panel = blindfold.Panel();
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Visible(panel); }));
  EXPECT_EQ(SelectedPage(panel), 1);
  EXPECT_TRUE(WaitUntil([&] { return FindControl(panel, L"Could not be registered: ", L"Static", true) != nullptr; }));

  // Nor may Esc close it then: it stays, and a message says why.
  SetForegroundWindow(panel);
  PressKeys({VK_ESCAPE});
  HWND message = nullptr;
  EXPECT_TRUE(WaitUntil([&] {
    for (HWND window : TopLevelWindows(blindfold.Id(), L"Blindfold", L"#32770")) {
      if (FindControl(window, L"The panel stays open", L"Static", true)) message = window;
    }
    return message != nullptr;
  }));
  if (message) {
    SetForegroundWindow(message);
    PressKeys({VK_RETURN});
  }
  EXPECT_TRUE(WaitUntil([&] { return message && !IsWindow(message); }));
  EXPECT_TRUE(Visible(panel));
  UnregisterHotKey(nullptr, 1);
}

// Started to the tray: a tray icon with no gesture chosen for its menu, where
// a right click opens it; with no password Lock is greyed, as it would lock
// nothing; Show UI brings the panel, on its first page, as the load left it.
TEST_F(PanelKeysE2E, StartedToTheTrayItsMenuShowsThePanelAndLockNeedsAPassword) {
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"DisplayIcon", L"1");
  WriteSetting(HKEY_LOCAL_MACHINE, kShortcutKeys, L"StartHidden", L"1");
  BlindfoldProcess blindfold;
  ASSERT_NE(blindfold.MainWindow(), nullptr);
  std::this_thread::sleep_for(500ms);
  RightClickAt(TrayIconPoint());
  HWND menu = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    menu = FindWindowW(L"#32768", nullptr);
    return menu && Visible(menu);
  })) << "no tray menu";
  const auto items = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
  ASSERT_NE(items, nullptr);
  EXPECT_TRUE(GetMenuState(items, 0, MF_BYPOSITION) & MF_GRAYED);
  PressKeys({VK_UP});  // the last item, "Shutdown"
  PressKeys({VK_UP});  // "Show UI"
  PressKeys({VK_RETURN});

  HWND panel = blindfold.ShownPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(SelectedPage(panel), 0);
  HWND tab = FindControl(panel, L"", L"SysTabControl32");
  EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 5);
  HWND frame = FindControl(panel, L"Open windows list - (", L"Button", true);  // refreshed as it was shown
  ASSERT_NE(frame, nullptr);
  EXPECT_NE(TextOf(frame).find(L" windows found)"), std::wstring::npos) << TextOf(frame).c_str();
  HWND taskbarBox = FindControl(panel, L"[ Hide Taskbar ]", L"Button");
  EXPECT_TRUE(taskbarBox && Visible(taskbarBox));
  SelectPage(panel, 4);
  HWND shutdown = FindControl(panel, L"Shutdown", L"Button");
  EXPECT_TRUE(shutdown && !Visible(shutdown));  // the tray menu has it
}

// What the screen shows in a rectangle, read once.
class ScreenPixels {
 public:
  explicit ScreenPixels(const RECT& area) : area_(area), width_(area.right - area.left) {
    const int height = area.bottom - area.top;
    pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width_, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    if (bits) std::memcpy(pixels_.data(), bits, pixels_.size() * sizeof(std::uint32_t));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
  }

  // The colour most of `part` (in screen coordinates) shows.
  std::uint32_t Dominant(const RECT& part) const {
    std::map<std::uint32_t, int> counts;
    for (LONG y = std::max(part.top, area_.top); y < std::min(part.bottom, area_.bottom); ++y) {
      for (LONG x = std::max(part.left, area_.left); x < std::min(part.right, area_.right); ++x) {
        ++counts[pixels_[static_cast<std::size_t>((y - area_.top) * width_ + (x - area_.left))] & 0xFFFFFF];
      }
    }
    std::uint32_t most = 0;
    int highest = -1;
    for (const auto& [colour, count] : counts) {
      if (count > highest) std::tie(most, highest) = std::tie(colour, count);
    }
    return most;
  }

 private:
  RECT area_;
  int width_;
  std::vector<std::uint32_t> pixels_;
};

// Labels, links, check boxes, option buttons, frames and the slider show the
// page through them; boxes that take text have a colour of their own.
bool SeeThrough(HWND control) {
  wchar_t className[64]{};
  GetClassNameW(control, className, 64);
  const std::wstring kind = className;
  if (kind == L"Static" || kind == L"SysLink" || kind == TRACKBAR_CLASSW) return true;
  if (kind != L"Button") return false;
  switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_GROUPBOX:
      return true;
    default:
      return false;
  }
}

// The page is one surface: whatever sits on it shows the page's own colour
// around its text, with no box of another colour behind it.
void ExpectOneSurface(HWND panel, const std::string& when) {
  // The page: the tab control below its tabs, where the page's controls begin
  // (its own measure of the tabs takes a pointer no other program can pass).
  HWND tab = FindControl(panel, L"", WC_TABCONTROLW);
  RECT page{};
  GetWindowRect(tab, &page);
  LONG firstTop = page.bottom;
  for (HWND child = GetWindow(panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rect{};
    GetWindowRect(child, &rect);
    const POINT middle{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    if (child != tab && IsWindowVisible(child) && PtInRect(&page, middle)) firstTop = std::min(firstTop, rect.top);
  }
  page = {page.left + 4, firstTop - 2, page.right - 4, page.bottom - 4};
  ASSERT_LT(page.top, page.bottom) << when << ": nothing on the page";
  const ScreenPixels shot(page);
  const std::uint32_t surface = shot.Dominant(page);
  for (HWND child = GetWindow(panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child) || !SeeThrough(child)) continue;
    RECT rect{};
    GetWindowRect(child, &rect);
    const POINT middle{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    if (!PtInRect(&page, middle)) continue;
    EXPECT_EQ(shot.Dominant(rect), surface) << when << ", behind " << testing::PrintToString(TextOf(child));
  }
}

// The scale programs started from now on draw at, back to 100 % when done,
// whatever the test met.
class ScreenScale {
 public:
  explicit ScreenScale(DWORD dpi) { Set(dpi); }
  ScreenScale(const ScreenScale&) = delete;
  ScreenScale& operator=(const ScreenScale&) = delete;
  ~ScreenScale() { Set(96); }

 private:
  static void Set(DWORD dpi) {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
  }
};

// At 100 % and at 150 %, with a hotkey refused and then taken, and after the
// panel was hidden and shown again.
TEST_F(PanelKeysE2E, EveryPagePaintsAsOneSurface) {
  for (const DWORD dpi : {96u, 144u}) {
    SCOPED_TRACE(testing::Message() << "at " << dpi * 100 / 96 << " %");
    const ScreenScale scale(dpi);
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_WIN | MOD_NOREPEAT, 'X'));
    BlindfoldProcess blindfold;
    HWND panel = blindfold.ShownPanel();
    ASSERT_NE(panel, nullptr);
    SetForegroundWindow(panel);
    SelectPage(panel, 1);
    ASSERT_TRUE(WaitUntil([&] { return FindControl(panel, L"Could not be registered: ", L"Static", true); }));
    Sleep(300);
    ExpectOneSurface(panel, "a hotkey refused");

    UnregisterHotKey(nullptr, 1);
    Click(FindControl(panel, L"Hide me!", L"Button"));
    ASSERT_TRUE(WaitUntil([&] { return !Visible(panel); }));
    PressKeys({VK_LWIN, 'X'});
    ASSERT_TRUE(WaitUntil([&] { return Visible(panel); })) << "the hotkey, now free, did not show the panel";
    EXPECT_EQ(FindControl(panel, L"Could not be registered: ", L"Static", true), nullptr);
    for (int page = 0; page < 5; ++page) {
      SelectPage(panel, page);
      Sleep(300);
      ExpectOneSurface(panel, "page " + std::to_string(page) + ", shown again");
    }
  }
}

}  // namespace
}  // namespace blindfold::e2e
