#include "windows/window_list.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_panel_window.h"
#include "platform/fake/fake_window_manager.h"
#include "platform/fake/fake_window_watch.h"
#include "windows/window_toggle.h"
#include "windows/window_toggle_host_stub.h"

namespace blindfold {
namespace {

class WindowListTest : public testing::Test {
 protected:
  WindowHandle Add(std::string title, std::string className = "Plain", WindowRole role = WindowRole::Normal) {
    return windows.Add({.title = std::move(title), .className = std::move(className), .role = role});
  }
  std::vector<std::string> RowTexts() const {
    std::vector<std::string> texts;
    for (const ListRow& row : panel.openWindows.Rows()) texts.push_back(row.text);
    return texts;
  }
  std::vector<bool> Marks() const {
    std::vector<bool> marks;
    for (const ListRow& row : panel.openWindows.Rows()) marks.push_back(row.marked);
    return marks;
  }

  FakeWindowManager windows;
  PanelModel panel;
  ToggleHostStub host;
  FakeWindowWatch watch;
  WindowHiding hiding{panel, windows, watch, host};
};

TEST_F(WindowListTest, ListsOwnerlessVisibleEnabledWindowsInStackOrder) {
  const WindowHandle editor = Add("Editor", "EditWnd");
  const WindowHandle owner = Add("Owner");
  windows.Add({.title = "Owned dialog", .className = "#32770", .owner = owner});
  windows.Add({.title = "Invisible", .visible = false});
  windows.Add({.title = "Blocked by a modal dialog", .enabled = false});
  // Cloaked by its own app (a suspended app's frame); the shell's cloak for
  // another virtual desktop is not the app's, so that window stays listed.
  windows.Add({.title = "Suspended app", .cloakedByItsApp = true});
  Add("Last");

  RebuildOpenWindowsList(windows, panel);
  EXPECT_EQ(RowTexts(), (std::vector<std::string>{"Editor\tEditWnd  (class)", "Owner\tPlain  (class)",
                                                  "Last\tPlain  (class)"}));
  EXPECT_EQ(panel.openWindows.Row(0).itemData, editor);
  EXPECT_EQ(panel.openWindows.CurrentRow(), 0u);
  EXPECT_EQ(Marks(), (std::vector<bool>{false, false, false}));
}

TEST_F(WindowListTest, EmptyTitleIsListedUnderItsClass) {
  Add("", "NoTitleClass");
  RebuildOpenWindowsList(windows, panel);
  EXPECT_EQ(RowTexts(), std::vector<std::string>{"NoTitleClass\tNoTitleClass  (class)"});
}

TEST_F(WindowListTest, TitleIsCutAtItsFirstNul) {
  Add(std::string("Visible\0hidden", 14));
  RebuildOpenWindowsList(windows, panel);
  EXPECT_EQ(RowTexts(), std::vector<std::string>{"Visible\tPlain  (class)"});
}

TEST_F(WindowListTest, OnlyTheExactPanelTitleIsLeftOut) {
  Add("Blindfold", "AnyClass");
  Add("blindfold");
  Add("Blindfold ");
  RebuildOpenWindowsList(windows, panel);
  EXPECT_EQ(RowTexts(), (std::vector<std::string>{"blindfold\tPlain  (class)", "Blindfold \tPlain  (class)"}));
}

TEST_F(WindowListTest, DesktopAndTaskbarAreKeptNotListed) {
  Add("Desktop", "Desktop", WindowRole::Desktop);
  const WindowHandle impostor = Add("Another desktop", "Other", WindowRole::Desktop);
  const WindowHandle taskbar = Add("", "Taskbar", WindowRole::Taskbar);
  RebuildOpenWindowsList(windows, panel);
  EXPECT_TRUE(RowTexts().empty());
  EXPECT_EQ(panel.chkProgramManager.tag, std::to_string(impostor.Value()));  // the last one wins
  EXPECT_EQ(panel.chkTaskbar.tag, std::to_string(taskbar.Value()));
  EXPECT_FALSE(panel.openWindows.CurrentRow());
}

TEST_F(WindowListTest, KeptHandlesSurviveAPassThatDoesNotMeetThem) {
  const WindowHandle taskbar = Add("", "Taskbar", WindowRole::Taskbar);
  RebuildOpenWindowsList(windows, panel);
  windows.Find(taskbar)->visible = false;
  RebuildOpenWindowsList(windows, panel);
  EXPECT_EQ(panel.chkTaskbar.tag, std::to_string(taskbar.Value()));
}

TEST_F(WindowListTest, TabInTitleGivesMoreFields) {
  Add("a\tb", "C");
  RebuildOpenWindowsList(windows, panel);
  EXPECT_EQ(RowTexts(), std::vector<std::string>{"a\tb\tC  (class)"});
}

TEST_F(WindowListTest, ClassNameIsCutToSixtyThreeCharacters) {
  Add("Long", std::string(70, 'k'));
  Add("Exact", std::string(63, 'e'));
  RebuildOpenWindowsList(windows, panel);
  EXPECT_EQ(RowTexts()[0], "Long\t" + std::string(63, 'k') + "  (class)");
  EXPECT_EQ(RowTexts()[1], "Exact\t" + std::string(63, 'e') + "  (class)");
}

TEST_F(WindowListTest, NonAsciiTitlesSurviveWhole) {
  Add("Überweisung – 東京 🙈", "Klasse");
  RebuildOpenWindowsList(windows, panel);
  EXPECT_EQ(RowTexts(), std::vector<std::string>{"Überweisung – 東京 🙈\tKlasse  (class)"});
}

TEST_F(WindowListTest, ListStopsAtItsRowLimit) {
  for (std::size_t i = 0; i < ListBox::kMaxRows + 5; ++i) Add("w" + std::to_string(i));
  RebuildOpenWindowsList(windows, panel);
  EXPECT_EQ(panel.openWindows.ListCount(), ListBox::kMaxRows);
}

TEST_F(WindowListTest, RefreshMarksExactlyTheRecordedWindowsStillPresent) {
  const WindowHandle a = Add("A");
  Add("B");
  const WindowHandle c = Add("C");
  hiding.Choose({a, WindowHandle(424242), c});
  RebuildOpenWindowsList(windows, panel);
  panel.openWindows.Row(1).marked = true;  // a mark not yet applied

  hiding.RefreshWindowList();
  EXPECT_EQ(Marks(), (std::vector<bool>{true, false, true}));
  EXPECT_EQ(panel.frmWindowList.caption,
            "Open windows list - (3 windows found). Double click to add a windows to the 'Always hide "
            "list.'");
}

TEST_F(WindowListTest, RefreshWithEmptyRecordMarksNothing) {
  Add("A");
  hiding.RefreshWindowList();
  EXPECT_EQ(Marks(), std::vector<bool>{false});
}

TEST_F(WindowListTest, LoadCaptionCountsTheWindows) {
  EXPECT_EQ(panel.frmWindowList.caption, "Open windows list");
  hiding.FillOpenWindowsList();
  EXPECT_EQ(panel.frmWindowList.caption, "Open windows list (0 windows found.)");
  EXPECT_FALSE(panel.openWindows.CurrentRow());
}

TEST_F(WindowListTest, SelectAllAndClearAll) {
  SelectAllWindows(panel);  // empty list: nothing to do
  Add("A");
  Add("B");
  RebuildOpenWindowsList(windows, panel);
  SelectAllWindows(panel);
  EXPECT_EQ(Marks(), (std::vector<bool>{true, true}));
  ClearAllWindows(panel);
  EXPECT_EQ(Marks(), (std::vector<bool>{false, false}));
}

}  // namespace
}  // namespace blindfold
