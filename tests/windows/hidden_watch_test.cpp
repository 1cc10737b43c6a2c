#include "windows/hidden_watch.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_window_manager.h"
#include "platform/fake/fake_window_watch.h"
#include "windows/always_hide.h"
#include "windows/window_toggle.h"
#include "windows/window_toggle_host_stub.h"

namespace blindfold {
namespace {

constexpr std::uint32_t kMessenger = 100;
constexpr std::uint32_t kEditor = 200;

class HiddenWatchTest : public testing::Test {
 protected:
  WindowHandle Add(std::string title, std::uint32_t program, bool visible = true, WindowHandle owner = {}) {
    return windows.Add({.title = std::move(title), .className = "Wnd", .owner = owner, .processId = program,
                        .visible = visible});
  }
  bool Visible(WindowHandle window) { return windows.Find(window)->visible; }
  void Hide(std::initializer_list<WindowHandle> chosen) {
    hiding.Choose(chosen);
    hiding.ToggleChosenWindows();
  }

  FakeWindowManager windows;
  PanelModel panel;
  ToggleHostStub host;
  FakeWindowWatch watch;
  WindowHiding hiding{panel, windows, watch, host};
};

// One messenger window is hidden; the editor beside it is not.
TEST_F(HiddenWatchTest, WhatBelongsToTheHiddenWindowsStaysHiddenUntilTheShow) {
  const WindowHandle chat = Add("Chat", kMessenger);
  const WindowHandle editor = Add("Editor", kEditor);
  const WindowHandle find = Add("Find", kMessenger, true, chat);        // owned by the chat
  const WindowHandle later = Add("Conversation", kMessenger, false);    // not shown yet
  Hide({chat});
  EXPECT_FALSE(Visible(chat));
  EXPECT_FALSE(Visible(find));  // hidden with its owner
  EXPECT_TRUE(Visible(editor));
  EXPECT_TRUE(watch.Running());
  EXPECT_EQ(watch.interval, HiddenWindowWatch::kIntervalMs);

  watch.Tick();
  windows.Find(chat)->visible = true;   // its program puts it back
  windows.Find(later)->visible = true;  // and opens a conversation
  const WindowHandle popup = Add("New message", kMessenger);
  const WindowHandle other = Add("Other", kEditor);
  watch.Tick();
  EXPECT_FALSE(Visible(chat));
  EXPECT_FALSE(Visible(later));
  EXPECT_FALSE(Visible(popup));
  EXPECT_TRUE(Visible(other));  // another program's window is never touched
  EXPECT_TRUE(Visible(editor));

  // The platform's word that a window was shown is answered at once.
  windows.Find(chat)->visible = true;
  watch.Shown(chat);
  EXPECT_FALSE(Visible(chat));

  hiding.ToggleChosenWindows();
  EXPECT_FALSE(watch.Running());
  for (const WindowHandle window : {chat, find, later, popup}) EXPECT_TRUE(Visible(window));
}

TEST_F(HiddenWatchTest, AlwaysHideMatchesThatOpenWhileHiddenAreHidden) {
  const WindowHandle chat = Add("Chat", kMessenger);
  panel.alwaysHide.AddItem("Bank\tWnd  (class)");
  panel.alwaysHide.SetCurrentRow(0);
  Hide({chat});
  const WindowHandle bank = Add("Bank", kEditor, false);  // made first, shown a moment later
  watch.Tick();
  windows.Find(bank)->visible = true;
  watch.Tick();
  EXPECT_FALSE(Visible(bank));
  EXPECT_TRUE(hiding.Hidden().Contains(bank));
}

TEST_F(HiddenWatchTest, AWindowOfAnAlwaysHiddenProgramIsHiddenAsItOpens) {
  const WindowHandle chat = Add("Chat", kMessenger);
  panel.alwaysHide.AddItem(ProgramEntryText("/opt/bank"));
  Hide({chat});
  const WindowHandle bank = windows.Add({.title = "Bank", .className = "Wnd", .processId = kEditor, .programPath = "/opt/bank"});
  const WindowHandle other = Add("Bank", kEditor + 1);  // the same title and class, another program
  watch.Tick();
  EXPECT_FALSE(Visible(bank));
  EXPECT_TRUE(hiding.Hidden().Contains(bank));
  EXPECT_TRUE(Visible(other));
}

TEST_F(HiddenWatchTest, AWindowThatKeepsComingBackIsGivenUpOnAndReported) {
  const WindowHandle stubborn = Add("Stubborn", kMessenger);
  const WindowHandle quiet = Add("Quiet", kEditor);
  Hide({stubborn, quiet});
  watch.Tick();
  for (std::size_t i = 0; i <= HiddenWindowWatch::kMostReturns; ++i) {
    windows.Find(stubborn)->visible = true;
    watch.Tick();
  }
  EXPECT_TRUE(Visible(stubborn));
  EXPECT_EQ(hiding.Hidden(), HiddenWindows{quiet});
  EXPECT_TRUE(panel.lblHideStatus.visible);
  EXPECT_NE(panel.lblHideStatus.caption.find("Stubborn"), std::string::npos);
  watch.Tick();
  EXPECT_TRUE(Visible(stubborn));  // left alone from then on
  EXPECT_FALSE(Visible(quiet));
}

// Its program shows it again the moment it is hidden, so no look ever sees it
// hidden; a program that is not answering has simply not hidden it yet.
TEST_F(HiddenWatchTest, AWindowBackBeforeEveryLookIsGivenUpButOneNotAnsweringIsNot) {
  const WindowHandle stubborn = Add("Stubborn", kMessenger);
  const WindowHandle hung = Add("Hung", kEditor);
  windows.Find(hung)->answering = false;
  Hide({stubborn, hung});
  for (std::size_t i = 0; i <= 2 * HiddenWindowWatch::kMostReturns; ++i) {
    windows.Find(stubborn)->visible = true;
    windows.Find(hung)->visible = true;
    watch.Tick();
  }
  EXPECT_TRUE(Visible(stubborn));
  EXPECT_EQ(hiding.Hidden(), HiddenWindows{hung});
  EXPECT_FALSE(Visible(hung));
}

// A show tells each window and returns; a hide a moment later finds them not
// yet shown, and must hide them all the same.
TEST_F(HiddenWatchTest, AHideRightAfterAShowCoversTheWindowsStillComingBack) {
  const WindowHandle a = Add("A", kMessenger);
  const WindowHandle b = Add("B", kEditor);
  Hide({a, b});
  hiding.ToggleChosenWindows();
  windows.Find(a)->visible = false;  // its show is still on its way
  hiding.ToggleChosenWindows();
  EXPECT_FALSE(Visible(a));
  EXPECT_FALSE(Visible(b));
  EXPECT_EQ(hiding.Hidden().Size(), 2u);
  hiding.ToggleChosenWindows();
  windows.Find(b)->visible = false;
  hiding.PanicHide();
  EXPECT_TRUE(hiding.Hidden().Contains(b));
}

}  // namespace
}  // namespace blindfold
