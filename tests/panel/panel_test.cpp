#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <variant>

#include "app/main_window.h"
#include "panel/controls.h"
#include "main/fake_platform.h"

namespace blindfold {
namespace {

// Which alternative of ModelField each kind of control is bound to.
std::size_t FieldIndexOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Frame: return 1;
    case ControlKind::Label:
    case ControlKind::Link: return 2;
    case ControlKind::CheckBox: return 3;
    case ControlKind::OptionButton: return 4;
    case ControlKind::TextBox:
    case ControlKind::KeyBox:
    case ControlKind::PasswordBox: return 5;
    case ControlKind::List:
    case ControlKind::MultiList: return 6;
    case ControlKind::Button:
    case ControlKind::DefaultButton: return 7;
    case ControlKind::Slider: return 8;
    case ControlKind::Tabs: break;
  }
  return 0;
}

// The model's part behind each control is of the control's kind and its own:
// a row bound to the wrong field would render one control into another and
// route its clicks there.
TEST(ControlTable, EveryRowIsBoundToAFieldOfItsKindAndNamedAndNumberedOnce) {
  PanelModel panel;
  std::set<std::string_view> names;
  std::set<int> ids;
  std::set<const void*> fields;
  for (const ControlInfo& info : Controls()) {
    EXPECT_TRUE(names.insert(info.name).second) << info.name;
    EXPECT_TRUE(ids.insert(info.id).second) << info.name;
    const ModelField field = FieldOf(panel, info.control);
    if (std::holds_alternative<std::monostate>(field)) continue;
    EXPECT_EQ(field.index(), FieldIndexOf(info.kind)) << info.name;
    const void* part = std::visit(
        [](auto value) -> const void* {
          if constexpr (std::is_pointer_v<decltype(value)>) {
            return value;
          } else {
            return nullptr;
          }
        },
        field);
    EXPECT_TRUE(fields.insert(part).second) << info.name << " shares its field";
  }
  // The numbered names lead to the boxes their numbers say.
  EXPECT_EQ(std::get<CheckBox*>(FieldOf(panel, Control::WindowsKeyAlt)),
            &ModifierBox(panel, HotkeyId::Windows, Modifier::Alt));
  EXPECT_EQ(std::get<Label*>(FieldOf(panel, Control::lblHotkeyStatus2)), &HotkeyStatus(panel, HotkeyId::Panic));
  EXPECT_EQ(std::get<TextBox*>(FieldOf(panel, Control::txtWindowsShortcutKey)),
            &HotkeyKeyBox(panel, HotkeyId::Windows));
}

// Alt and a letter reach every box and button; on a page no two share the
// letter, but for the two AltKey boxes: the three rows of the same words leave
// one letter short.
TEST(ControlTable, EveryBoxAndButtonHasItsOwnLetterOnItsPage) {
  for (int page = 0; page < 5; ++page) {
    std::map<char, std::vector<std::string_view>> byLetter;
    for (const ControlInfo& info : Controls()) {
      if (info.neverShown || (info.page != page && info.page != kEveryPage)) continue;
      const std::size_t mark = info.caption.find('&');
      switch (info.kind) {
        case ControlKind::CheckBox:
        case ControlKind::OptionButton:
        case ControlKind::Button:
        case ControlKind::DefaultButton:
          EXPECT_NE(mark, std::string_view::npos) << info.name << " has no Alt+letter";
          break;
        default:
          break;
      }
      if (mark == std::string_view::npos || mark + 1 >= info.caption.size()) continue;
      byLetter[static_cast<char>(std::tolower(static_cast<unsigned char>(info.caption[mark + 1])))].push_back(info.name);
    }
    for (const auto& [letter, names] : byLetter) {
      const std::size_t allowed = page == static_cast<int>(PanelPage::Hotkeys) && letter == 'a' ? 2 : 1;
      EXPECT_LE(names.size(), allowed) << "page " << page << " gives Alt+" << letter << " to " << names.front()
                                       << " and " << names.back();
    }
  }
}

// An edit within a held text keeps what it put in, whole characters only.
TEST(TextBox, AnEditWithinAHeldTextKeepsWholeCharacters) {
  TextBox box{"held-\xc3\xa9"};  // "held-é"
  box.replacedOnEdit = true;
  box.Edited("held-\xc3\xa8");  // "é" became "è": the two share their first byte
  EXPECT_EQ(box.text, "\xc3\xa8");
  box.Edited("\xc3\xa8\xc3\xa9");  // an ordinary edit now
  EXPECT_EQ(box.text, "\xc3\xa8\xc3\xa9");
}

TEST(ListBox, TheCurrentRowStaysOnItsRowWhenRowsGo) {
  ListBox list;
  for (const char* text : {"a", "b", "c", "d"}) list.AddItem(text);
  list.SetCurrentRow(2);  // "c"
  list.RemoveItem(0);
  EXPECT_EQ(list.CurrentRow(), 1u);
  EXPECT_EQ(list.Row(*list.CurrentRow()).text, "c");
  list.RemoveItem(2);  // below it: no change
  EXPECT_EQ(list.CurrentRow(), 1u);
  list.RemoveItem(1);  // the current row itself
  EXPECT_EQ(list.CurrentRow(), std::nullopt);
}

class PanelRoutingTest : public testing::Test {
 protected:
  void SetUp() override {
    fakes.panelWindow.Attach(form);
    form.Load();
  }

  FakePlatform fakes;
  MainWindow form{fakes.Get()};
};

TEST_F(PanelRoutingTest, ClicksReachWhatEachControlDoes) {
  // A check box toggles once per click.
  fakes.panelWindow.Click(Control::WindowsKeyCtrl);
  EXPECT_EQ(ModifierBox(form.panel, HotkeyId::Windows, Modifier::Ctrl).value, 1);
  fakes.panelWindow.Click(Control::WindowsKeyCtrl);
  EXPECT_EQ(ModifierBox(form.panel, HotkeyId::Windows, Modifier::Ctrl).value, 0);

  // Both forum links, and the hidden button, open the forum.
  fakes.panelWindow.Click(Control::Label5);
  fakes.panelWindow.Click(Control::Label9);
  fakes.panelWindow.Click(Control::cmdVisitForums);
  ASSERT_EQ(fakes.shell.addressRequests.size(), 3u);
  EXPECT_EQ(fakes.shell.addressRequests[0], fakes.shell.addressRequests[1]);
  EXPECT_EQ(fakes.shell.addressRequests[0], fakes.shell.addressRequests[2]);
  EXPECT_NE(fakes.shell.addressRequests[0].find("phpBB"), std::string::npos);

  // An option button chooses in its row and greys the same gesture in the other.
  fakes.panelWindow.Click(Control::optTrayMenu_3);
  EXPECT_TRUE(form.panel.optTrayMenu[3].value);
  EXPECT_FALSE(form.panel.optTrayHideWindows[3].enabled);
  fakes.panelWindow.Click(Control::optTrayHideWindows_1);
  EXPECT_TRUE(form.panel.optTrayHideWindows[1].value);
  EXPECT_FALSE(form.panel.optTrayMenu[1].enabled);

  // Text goes into its box; "Hide me!" applies and hides the panel.
  fakes.panelWindow.Type(Control::txtPanicShortcutKey, "Q");
  fakes.panelWindow.visible = true;
  fakes.panelWindow.Click(Control::cmdOK);
  EXPECT_EQ(fakes.panicHotkey.Current().vkey, 'Q');
  EXPECT_FALSE(fakes.panelWindow.visible);
}

TEST_F(PanelRoutingTest, ListsAndTheCloseBox) {
  fakes.windows.Add({.title = "Mail", .className = "MailWnd"});
  form.RefreshWindowList();
  PanelEvents& events = form;
  events.RowsSelected(Control::OpenWindowsList, {true}, 0);
  EXPECT_TRUE(form.panel.openWindows.Row(0).marked);
  events.RowDoubleClicked(Control::OpenWindowsList);  // onto the always-hide list
  ASSERT_EQ(form.panel.alwaysHide.ListCount(), 1u);
  events.RowsSelected(Control::AlwaysHideList, {}, 0);
  events.RowDoubleClicked(Control::AlwaysHideList);  // and off it again
  EXPECT_EQ(form.panel.alwaysHide.ListCount(), 0u);

  fakes.panelWindow.visible = true;
  EXPECT_FALSE(events.CloseRequested(CloseReason::ControlMenu));
  EXPECT_FALSE(fakes.panelWindow.visible);
  EXPECT_TRUE(events.CloseRequested(CloseReason::WindowsEnding));
}

}  // namespace
}  // namespace blindfold
