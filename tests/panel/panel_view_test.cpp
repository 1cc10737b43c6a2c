#include "panel/panel_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>

#include "app/dispatch.h"
#include "app/main_window.h"
#include "main/fake_platform.h"

namespace blindfold {
namespace {

// A toolkit that keeps what the view told it, as a screen would.
class FakeWidgets final : public PanelWidgets {
 public:
  void Create(const ControlSpec& spec) override {
    EXPECT_FALSE(specs.contains(spec.info->control)) << spec.info->name << " made twice";
    created.push_back(spec.info->control);
    specs[spec.info->control] = spec;
    places[spec.info->control] = spec.place;
  }
  void Move(Control control, const DesignRect& place) override { places[control] = place; }
  void Apply(Control control, const ControlState& state) override {
    states[control] = state;
    if (duringApply) duringApply();
  }
  void Show(Control control, bool visible) override { shown[control] = visible; }
  void SelectPage(PanelPage selected) override { page = selected; }
  void FillList(Control list, const ListBox& model) override {
    ++fills[list];
    rows[list] = model.Rows();
    for (ListRow& row : rows[list]) row.marked = false;
  }
  void MarkRow(Control list, std::size_t row, bool marked) override {
    marksSent.emplace_back(list, row, marked);
    rows[list].at(row).marked = marked;
  }
  void SetCurrentRow(Control list, std::optional<std::size_t> row) override { currentRows[list].push_back(row); }
  void SetBusy(bool value) override { busy.push_back(value); }

  bool Made(Control control) const { return specs.contains(control); }

  std::vector<Control> created;
  std::map<Control, ControlSpec> specs;
  std::map<Control, DesignRect> places;
  std::map<Control, ControlState> states;
  std::map<Control, bool> shown;
  std::optional<PanelPage> page;
  std::map<Control, int> fills;
  std::map<Control, std::vector<ListRow>> rows;
  std::vector<std::tuple<Control, std::size_t, bool>> marksSent;
  std::map<Control, std::vector<std::optional<std::size_t>>> currentRows;
  std::vector<bool> busy;
  // A toolkit that tells of its own changes as of the user's.
  std::function<void()> duringApply;
};

// The logic's side: records what it is told, and answers as it is set to.
class RecordingEvents final : public PanelEvents {
 public:
  explicit RecordingEvents(PanelModel& panel) : panel_(panel) {}
  void Clicked(Control control) override {
    clicks.push_back(control);
    if (onClick) onClick(control);
  }
  void TextChanged(Control control, const std::string& text) override { texts.emplace_back(control, text); }
  void ValueChanged(Control, int value) override { values.push_back(value); }
  void PageSelected(PanelPage page) override {
    pages.push_back(page);
    panel_.page = page;
  }
  void RowsSelected(Control list, const std::vector<bool>& marks, std::optional<std::size_t> current) override {
    selections.emplace_back(list, marks, current);
    if (list != Control::OpenWindowsList) return;
    for (std::size_t i = 0; i < marks.size() && i < panel_.openWindows.ListCount(); ++i) {
      panel_.openWindows.Row(i).marked = marks[i];
    }
  }
  void RowDoubleClicked(Control list) override { doubleClicks.push_back(list); }
  bool CloseRequested(CloseReason reason) override {
    closes.push_back(reason);
    return closeAnswer;
  }

  std::vector<Control> clicks;
  std::vector<std::pair<Control, std::string>> texts;
  std::vector<int> values;
  std::vector<PanelPage> pages;
  std::vector<std::tuple<Control, std::vector<bool>, std::optional<std::size_t>>> selections;
  std::vector<Control> doubleClicks;
  std::vector<CloseReason> closes;
  bool closeAnswer = false;
  std::function<void(Control)> onClick;

 private:
  PanelModel& panel_;
};

// What the program's dispatch does with every report: hands it on, then has
// the panel drawn.
class RenderedEvents final : public PanelEvents {
 public:
  RenderedEvents(PanelEvents& events, std::unique_ptr<PanelView>& view) : events_(events), view_(view) {}
  void Clicked(Control control) override {
    events_.Clicked(control);
    view_->Render();
  }
  void TextChanged(Control control, const std::string& text) override {
    events_.TextChanged(control, text);
    view_->Render();
  }
  void ValueChanged(Control control, int value) override {
    events_.ValueChanged(control, value);
    view_->Render();
  }
  void PageSelected(PanelPage page) override {
    events_.PageSelected(page);
    view_->Render();
  }
  void RowsSelected(Control list, const std::vector<bool>& marks, std::optional<std::size_t> current) override {
    events_.RowsSelected(list, marks, current);
    view_->Render();
  }
  void RowDoubleClicked(Control list) override {
    events_.RowDoubleClicked(list);
    view_->Render();
  }
  bool CloseRequested(CloseReason reason) override {
    const bool close = events_.CloseRequested(reason);
    view_->Render();
    return close;
  }

 private:
  PanelEvents& events_;
  std::unique_ptr<PanelView>& view_;
};

class PanelViewTest : public testing::Test {
 protected:
  void Start(ToolkitTraits traits = {}) {
    view = std::make_unique<PanelView>(traits);
    view->Attach(panel, rendered);
    view->AttachWidgets(widgets);
    view->Render();
  }

  PanelModel panel;
  RecordingEvents events{panel};
  RenderedEvents rendered{events, view};
  FakeWidgets widgets;
  std::unique_ptr<PanelView> view;
};

std::size_t Position(const std::vector<Control>& order, Control control) {
  return static_cast<std::size_t>(std::find(order.begin(), order.end(), control) - order.begin());
}

TEST_F(PanelViewTest, PagesAreMadeOnceWhenFirstShownFramesFirst) {
  Start();
  // At once: what every page shows, and the first page.
  for (const ControlInfo& info : Controls()) {
    const bool atOnce = info.page == kEveryPage || info.page == static_cast<int>(PanelPage::OpenWindows);
    EXPECT_EQ(widgets.Made(info.control), atOnce) << info.name;
  }
  EXPECT_LT(Position(widgets.created, Control::cmdOK), Position(widgets.created, Control::OpenWindowsList));
  EXPECT_LT(Position(widgets.created, Control::frameAlwaysHide), Position(widgets.created, Control::SelectAllLink));

  // A page is made by the render that first shows it, and shown whole.
  panel.page = PanelPage::Settings;
  view->Render();
  EXPECT_EQ(widgets.page, PanelPage::Settings);
  EXPECT_LT(Position(widgets.created, Control::frmDecoy), Position(widgets.created, Control::lblPassword));
  EXPECT_TRUE(widgets.shown.at(Control::txtPassword));
  EXPECT_FALSE(widgets.shown.at(Control::OpenWindowsList));
  const std::size_t made = widgets.created.size();
  panel.page = PanelPage::OpenWindows;
  view->Render();
  panel.page = PanelPage::Settings;
  view->Render();
  EXPECT_EQ(widgets.created.size(), made);

  // A toolkit about to show a page has it made and drawn at once.
  view->PageShowing(PanelPage::Stealth);
  ASSERT_TRUE(widgets.Made(Control::chkDisplayIcon));
  EXPECT_TRUE(widgets.states.contains(Control::chkDisplayIcon));
  view->PageShowing(static_cast<PanelPage>(7));  // no such page: nothing

  // Controls made again after their window went are made whole again.
  panel.openWindows.AddItem("Mail");
  view->Render();
  view->DetachWidgets();
  FakeWidgets again;
  view->AttachWidgets(again);
  EXPECT_TRUE(again.Made(Control::OpenWindowsList));
  EXPECT_FALSE(again.Made(Control::chkDisplayIcon));
  view->Render();
  EXPECT_EQ(again.fills.at(Control::OpenWindowsList), 1);
}

// The load places the open-windows page's controls relative to their frame,
// the frame relative to the tabs; a placement made before the controls exist
// is where they are made.
TEST_F(PanelViewTest, PlacementsAreRelativeToTheContainerAndOutliveTheControls) {
  view = std::make_unique<PanelView>();
  view->Place({Control::OpenWindowsList, 120, 480, 7575, 1410});
  view->Place({Control::frmWindowList, 120, 360, std::nullopt, std::nullopt});
  view->AttachWidgets(widgets);
  const DesignRect frame = InfoOf(Control::frmWindowList).design;
  const DesignRect tabs = InfoOf(Control::Pages).design;
  const DesignRect list = widgets.places.at(Control::OpenWindowsList);
  EXPECT_EQ(list.left, frame.left + 120);
  EXPECT_EQ(list.top, frame.top + 480);
  EXPECT_EQ(list.width, 7575);
  EXPECT_EQ(widgets.places.at(Control::frmWindowList).left, tabs.left + 120);
  EXPECT_EQ(widgets.places.at(Control::frmWindowList).width, frame.width);

  // Placed once made, a control moves; a field left empty keeps its place.
  view->Place({Control::chkTaskbar, std::nullopt, 1920, std::nullopt, std::nullopt});
  const DesignRect moved = widgets.places.at(Control::chkTaskbar);
  EXPECT_EQ(moved.left, InfoOf(Control::chkTaskbar).design.left);
  EXPECT_EQ(moved.top, tabs.top + 360 + 1920);
}

TEST_F(PanelViewTest, WhatEachControlShows) {
  panel.chkTaskbar.value = 2;
  panel.chkTaskbar.enabled = false;
  panel.chkProgramManager.value = 1;
  panel.chkProgramManager.visible = false;
  panel.lblHideStatus = Label{"Could not be hidden: Mail", true};
  panel.txtPassword.HoldStored("key");
  panel.Slider1.value = 40;
  panel.cmdShutdown.visible = false;
  Start();
  EXPECT_EQ(widgets.states.at(Control::chkTaskbar).check, CheckMark::Grayed);
  EXPECT_FALSE(widgets.states.at(Control::chkTaskbar).enabled);
  EXPECT_TRUE(widgets.shown.at(Control::chkTaskbar));
  EXPECT_EQ(widgets.states.at(Control::chkProgramManager).check, CheckMark::Checked);
  EXPECT_FALSE(widgets.shown.at(Control::chkProgramManager));
  EXPECT_EQ(widgets.states.at(Control::lblHideStatus).text, "Could not be hidden: Mail");
  EXPECT_TRUE(widgets.shown.at(Control::lblHideStatus));
  // A control with nothing in the model keeps what it was made with.
  EXPECT_EQ(widgets.states.at(Control::SelectAllLink).text, std::nullopt);

  panel.page = PanelPage::Settings;
  view->Render();
  EXPECT_EQ(widgets.states.at(Control::txtPassword).text, "key");
  EXPECT_TRUE(widgets.states.at(Control::txtPassword).replacedOnEdit);
  EXPECT_EQ(widgets.states.at(Control::Slider1).value, 40);
  EXPECT_FALSE(widgets.shown.at(Control::frmDecoy));  // the model hides it
  EXPECT_FALSE(widgets.shown.at(Control::chkTaskbar));  // its page is down
  EXPECT_TRUE(widgets.shown.at(Control::cmdOK));        // on every page

  panel.page = PanelPage::About;
  view->Render();
  EXPECT_FALSE(widgets.shown.at(Control::cmdShutdown));
  EXPECT_FALSE(widgets.shown.at(Control::cmdUpdates));  // carried, never shown
}

// Where a toolkit's tabs show and hide their pages' controls, the view leaves
// that to them.
TEST_F(PanelViewTest, TabsThatHoldTheirControls) {
  Start({.pagesHoldTheirControls = true});
  panel.page = PanelPage::Settings;
  view->Render();
  EXPECT_TRUE(widgets.shown.at(Control::OpenWindowsList));
  EXPECT_FALSE(widgets.shown.at(Control::frmDecoy));
  panel.page = PanelPage::About;
  view->Render();
  EXPECT_FALSE(widgets.shown.at(Control::cmdSysInfo));
}

// Tab reaches a row of option buttons at its chosen one, or at its first.
TEST_F(PanelViewTest, OptionGroupsAreOneTabStopAndTheArrowsGoRound) {
  panel.page = PanelPage::Stealth;
  panel.optTrayMenu[2].value = true;
  Start();
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(widgets.states.at(Nth(Control::optTrayMenu_0, i)).tabStop, i == 2) << i;
    EXPECT_EQ(widgets.states.at(Nth(Control::optTrayHideWindows_0, i)).tabStop, i == 0) << i;
  }
  EXPECT_FALSE(widgets.states.at(Control::chkDisplayIcon).tabStop);
  EXPECT_EQ(widgets.specs.at(Control::optTrayMenu_5).optionGroup, 0u);
  EXPECT_EQ(widgets.specs.at(Control::optTrayHideWindows_0).optionGroup, 1u);
  EXPECT_EQ(widgets.specs.at(Control::chkDisplayIcon).optionGroup, std::nullopt);

  // The arrows pass over a button that is greyed, round the end both ways.
  panel.optTrayMenu[4].enabled = false;
  EXPECT_EQ(view->OptionStep(Control::optTrayMenu_3, 1), Control::optTrayMenu_5);
  EXPECT_EQ(view->OptionStep(Control::optTrayMenu_5, 1), Control::optTrayMenu_0);
  EXPECT_EQ(view->OptionStep(Control::optTrayMenu_0, -1), Control::optTrayMenu_5);
  for (OptionButton& option : panel.optTrayHideWindows) option.enabled = false;
  EXPECT_EQ(view->OptionStep(Control::optTrayHideWindows_0, 1), std::nullopt);
  EXPECT_EQ(view->OptionStep(Control::chkDisplayIcon, 1), std::nullopt);
  // Off its page, no button is reached.
  panel.page = PanelPage::About;
  EXPECT_EQ(view->OptionStep(Control::optTrayMenu_0, 1), std::nullopt);
}

TEST_F(PanelViewTest, BoxesAndCaptionsAsMade) {
  panel.page = PanelPage::Hotkeys;
  Start();
  for (const Control box :
       {Control::txtBlindfoldShortcutKey, Control::txtWindowsShortcutKey, Control::txtPanicShortcutKey}) {
    EXPECT_EQ(widgets.specs.at(box).maxChars, 1u);
    EXPECT_TRUE(widgets.specs.at(box).upperCase);
  }
  panel.page = PanelPage::Settings;
  view->Render();
  panel.page = PanelPage::About;
  view->Render();
  const ControlSpec& password = widgets.specs.at(Control::txtPassword);
  EXPECT_EQ(password.maxChars, kPasswordMaxChars);
  EXPECT_FALSE(password.upperCase);
  EXPECT_EQ(password.enterPresses, Control::cmdSetPassword);
  EXPECT_EQ(widgets.specs.at(Control::txtDecoy).maxChars, 0u);
  EXPECT_EQ(widgets.specs.at(Control::txtDecoy).enterPresses, Control::cmdOK);
  for (const auto& [control, spec] : widgets.specs) EXPECT_EQ(spec.title, control == Control::Label5);
  EXPECT_EQ(widgets.specs.at(Control::chkStartWithWindows).caption, InfoOf(Control::chkStartWithWindows).caption);

  // Where programs start at log-in, the box says so, with the same key.
  FakeWidgets loggingInWidgets;
  PanelView loggingIn({.startsAtLogIn = true});
  loggingIn.AttachWidgets(loggingInWidgets);
  panel.page = PanelPage::Settings;
  loggingIn.Attach(panel, events);
  const std::string caption = loggingInWidgets.specs.at(Control::chkStartWithWindows).caption;
  EXPECT_NE(caption.find("log in"), std::string::npos);
  EXPECT_NE(caption.find("&t"), std::string::npos);
}

TEST(PanelViewPages, EveryTabHasACaptionWithItsOwnKey) {
  std::set<char> keys;
  for (int page = 0; page < 5; ++page) {
    const std::string_view caption = PanelView::PageCaption(static_cast<PanelPage>(page));
    const std::size_t mark = caption.find('&');
    ASSERT_NE(mark, std::string_view::npos) << caption;
    ASSERT_LT(mark + 1, caption.size());
    EXPECT_TRUE(keys.insert(static_cast<char>(std::tolower(caption[mark + 1]))).second) << caption;
  }
  EXPECT_EQ(PanelView::PageCaption(static_cast<PanelPage>(9)), "");
}

// A refill loses the user's scrolling and selection: only new rows refill.
TEST_F(PanelViewTest, ListsRefillOnlyWhenTheirRowsChange) {
  panel.openWindows.AddItem("Mail\tMailWnd", WindowHandle(10));
  panel.openWindows.AddItem("Notes\tNotesWnd", WindowHandle(11));
  panel.openWindows.Row(1).marked = true;
  Start();
  EXPECT_EQ(widgets.fills.at(Control::OpenWindowsList), 1);
  EXPECT_EQ(widgets.marksSent, (std::vector<std::tuple<Control, std::size_t, bool>>{{Control::OpenWindowsList, 1, true}}));

  // Marks alone change marks alone, and only those that changed.
  widgets.marksSent.clear();
  panel.openWindows.Row(0).marked = true;
  view->Render();
  view->Render();
  EXPECT_EQ(widgets.fills.at(Control::OpenWindowsList), 1);
  EXPECT_EQ(widgets.marksSent, (std::vector<std::tuple<Control, std::size_t, bool>>{{Control::OpenWindowsList, 0, true}}));

  // What the user marked is on the screen already and is not sent back;
  // what the logic changed besides is.
  widgets.marksSent.clear();
  view->RowsSelected(Control::OpenWindowsList, {false, true}, 0);
  EXPECT_EQ(std::get<1>(events.selections.back()), (std::vector<bool>{false, true}));
  EXPECT_TRUE(widgets.marksSent.empty());
  panel.openWindows.Row(0).marked = true;
  view->Render();
  EXPECT_EQ(widgets.marksSent, (std::vector<std::tuple<Control, std::size_t, bool>>{{Control::OpenWindowsList, 0, true}}));

  // The same text for another window is another row.
  widgets.marksSent.clear();
  panel.openWindows.Row(0).marked = false;
  panel.openWindows.Row(1).itemData = WindowHandle(12);
  view->Render();
  EXPECT_EQ(widgets.fills.at(Control::OpenWindowsList), 2);
  EXPECT_EQ(widgets.marksSent, (std::vector<std::tuple<Control, std::size_t, bool>>{{Control::OpenWindowsList, 1, true}}));
  EXPECT_TRUE(widgets.rows.at(Control::OpenWindowsList)[1].marked);
  panel.openWindows.Clear();
  view->Render();
  EXPECT_EQ(widgets.fills.at(Control::OpenWindowsList), 3);
  EXPECT_TRUE(widgets.rows.at(Control::OpenWindowsList).empty());
}

// A list with one selected row shows the model's row, or none; a marked
// list's focus moves only to a row the model names.
TEST_F(PanelViewTest, TheCurrentRowFollowsTheModel) {
  panel.openWindows.AddItem("a");
  panel.alwaysHide.AddItem("b");
  panel.alwaysHide.AddItem("c");
  Start();
  EXPECT_TRUE(widgets.currentRows[Control::OpenWindowsList].empty());
  EXPECT_EQ(widgets.currentRows.at(Control::AlwaysHideList).back(), std::nullopt);
  panel.openWindows.SetCurrentRow(0);
  panel.alwaysHide.SetCurrentRow(1);
  view->Render();
  EXPECT_EQ(widgets.currentRows.at(Control::OpenWindowsList).back(), 0u);
  EXPECT_EQ(widgets.currentRows.at(Control::AlwaysHideList).back(), 1u);
}

TEST_F(PanelViewTest, EveryInputIsReportedThenRendered) {
  Start();
  // A click the logic answers is on the screen when the call returns.
  events.onClick = [&](Control control) {
    if (control == Control::chkTaskbar) panel.chkTaskbar.value = 1;
  };
  view->Clicked(Control::chkTaskbar);
  EXPECT_EQ(widgets.states.at(Control::chkTaskbar).check, CheckMark::Checked);

  view->TextChanged(Control::txtDecoy, "decoy");
  view->ValueChanged(Control::Slider1, 30);
  view->RowDoubleClicked(Control::AlwaysHideList);
  view->EnterPressed(Control::txtPassword);
  view->EnterPressed(Control::txtDecoy);
  EXPECT_EQ(events.texts.back(), std::make_pair(Control::txtDecoy, std::string("decoy")));
  EXPECT_EQ(events.values.back(), 30);
  EXPECT_EQ(events.doubleClicks.back(), Control::AlwaysHideList);
  EXPECT_EQ(events.clicks, (std::vector<Control>{Control::chkTaskbar, Control::cmdSetPassword, Control::cmdOK}));

  // What a toolkit tells of while it renders is its own doing, not the user's.
  widgets.duringApply = [&] {
    view->Clicked(Control::cmdRefresh);
    view->TextChanged(Control::txtDecoy, "echo");
    view->RowsSelected(Control::OpenWindowsList, {}, std::nullopt);
    view->CyclePage(1);
    EXPECT_FALSE(view->CloseRequested(CloseReason::ControlMenu));
  };
  view->Render();
  widgets.duringApply = nullptr;
  EXPECT_EQ(events.clicks.size(), 3u);
  EXPECT_EQ(events.texts.size(), 1u);
  EXPECT_TRUE(events.selections.empty());
  EXPECT_TRUE(events.pages.empty());
  EXPECT_TRUE(events.closes.empty());
}

// A toolkit call that throws ends that render only: the panel still takes the
// user's input, and the next render draws it whole.
TEST_F(PanelViewTest, AWidgetThatThrowsLeavesThePanelTakingInput) {
  Start();
  widgets.duringApply = [] { throw std::runtime_error("the toolkit failed"); };
  EXPECT_THROW(view->Render(), std::runtime_error);
  widgets.duringApply = nullptr;
  EXPECT_FALSE(view->Rendering());
  events.onClick = [&](Control control) {
    if (control == Control::chkTaskbar) panel.chkTaskbar.value = 1;
  };
  view->Clicked(Control::chkTaskbar);
  EXPECT_EQ(events.clicks, (std::vector<Control>{Control::chkTaskbar}));
  EXPECT_EQ(widgets.states.at(Control::chkTaskbar).check, CheckMark::Checked);
}

// A slow job is told when it starts and when it ends, not at every render.
TEST_F(PanelViewTest, TheBusyPanelIsToldOfChangesOnly) {
  Start();
  EXPECT_TRUE(widgets.busy.empty());
  panel.busy = true;
  view->Render();
  view->Render();
  panel.busy = false;
  view->Render();
  EXPECT_EQ(widgets.busy, (std::vector<bool>{true, false}));
}

TEST_F(PanelViewTest, PagesGoRoundWithTheKeysAndFollowTheTabs) {
  Start();
  view->CyclePage(-1);
  EXPECT_EQ(widgets.page, PanelPage::About);
  view->CyclePage(1);
  view->CyclePage(1);
  EXPECT_EQ(widgets.page, PanelPage::Hotkeys);
  EXPECT_EQ(events.pages, (std::vector<PanelPage>{PanelPage::About, PanelPage::OpenWindows, PanelPage::Hotkeys}));
  // A tab chosen is told once; the page already up is no news.
  view->PageSelected(PanelPage::Hotkeys);
  view->PageSelected(PanelPage::Stealth);
  EXPECT_EQ(events.pages.back(), PanelPage::Stealth);
  EXPECT_EQ(events.pages.size(), 4u);
  EXPECT_EQ(widgets.page, PanelPage::Stealth);
}

TEST_F(PanelViewTest, TheLogicDecidesWhetherTheWindowGoes) {
  Start();
  panel.lblHideStatus = Label{"kept", true};
  EXPECT_FALSE(view->CloseRequested(CloseReason::ControlMenu));
  EXPECT_EQ(widgets.states.at(Control::lblHideStatus).text, "kept");  // rendered again
  events.closeAnswer = true;
  EXPECT_TRUE(view->CloseRequested(CloseReason::WindowsEnding));
  EXPECT_EQ(events.closes, (std::vector<CloseReason>{CloseReason::ControlMenu, CloseReason::WindowsEnding}));

  // Before the logic listens, nothing is reported and nothing goes.
  PanelView unattached;
  EXPECT_FALSE(unattached.CloseRequested(CloseReason::ControlMenu));
  unattached.Clicked(Control::cmdOK);
  unattached.CyclePage(1);
  unattached.Render();
}

// The view over the program's own logic: a tick the user gives a box is the
// tick the screen shows, and the tray's option rows grey each other.
TEST(PanelViewOverTheLogic, ClicksComeBackAsTheLogicLeftThem) {
  FakePlatform fakes;
  MainWindow form{fakes.Get()};
  fakes.panelWindow.Attach(form);
  form.Load();
  FakeWidgets widgets;
  PanelView view;
  Dispatch dispatch([&view] { view.Render(); });
  DispatchedPanelEvents events(form, dispatch);
  view.Attach(form.panel, events);
  view.AttachWidgets(widgets);
  view.CyclePage(1);
  view.Clicked(Control::WindowsKeyCtrl);
  EXPECT_EQ(widgets.states.at(Control::WindowsKeyCtrl).check, CheckMark::Checked);
  view.PageSelected(PanelPage::Stealth);
  view.Clicked(Control::optTrayMenu_3);
  EXPECT_EQ(widgets.states.at(Control::optTrayMenu_3).check, CheckMark::Checked);
  EXPECT_TRUE(widgets.states.at(Control::optTrayMenu_3).tabStop);
  EXPECT_FALSE(widgets.states.at(Control::optTrayHideWindows_3).enabled);
  EXPECT_EQ(view.OptionStep(Control::optTrayHideWindows_2, 1), Control::optTrayHideWindows_4);
}

}  // namespace
}  // namespace blindfold
