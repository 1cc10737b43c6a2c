#include "app/dispatch.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>

#include "main/fake_platform.h"

namespace blindfold {
namespace {

// The panel must show what an event did however the event came in: each way
// in draws the panel once the logic is done with it, and never before.
class DispatchTest : public testing::Test {
 protected:
  FakePlatform fakes;
  std::vector<std::string> drawn;  // the status line at each render
  MainWindow* form = nullptr;
  Dispatch dispatch{[this] { drawn.push_back(form ? form->panel.lblHideStatus.caption : ""); }};
  DispatchedPlatform dispatched{fakes.Get(), dispatch};
};

TEST_F(DispatchTest, EveryWayInRendersAfterTheLogicHasRun) {
  MainWindow main(dispatched.Get());
  form = &main;
  fakes.registry.Set("HKLM\\Software\\Blindfold\\ShortcutKeys\\DisplayIcon", "1");
  fakes.registry.Set("HKLM\\Software\\Blindfold\\ShortcutKeys\\TrayHideWindows", "513");
  main.Load();
  const WindowHandle a = fakes.windows.Add({.title = "A"});
  main.hiding.Choose({a});

  fakes.windowsHotkey.Press();
  EXPECT_FALSE(fakes.windows.Find(a)->visible);
  EXPECT_EQ(drawn.size(), 1u);

  ASSERT_NE(fakes.tray.reporting, nullptr);
  fakes.tray.reporting->Gestured(TrayGesture::LeftDown);  // the toggle: shows them again
  EXPECT_TRUE(fakes.windows.Find(a)->visible);
  EXPECT_EQ(drawn.size(), 2u);

  // A command from a later start, as the hotkey it stands for.
  EXPECT_EQ(fakes.commands.Receive(Command::Toggle), CommandOutcome::Done);
  EXPECT_FALSE(fakes.windows.Find(a)->visible);
  EXPECT_EQ(drawn.size(), 3u);
  // One the window manager could not carry out is no success.
  fakes.windows.unreachable = "no answer";
  EXPECT_EQ(fakes.commands.Receive(Command::Toggle), CommandOutcome::Failed);
  fakes.windows.unreachable.reset();
  EXPECT_EQ(fakes.commands.Receive(Command::Toggle), CommandOutcome::Done);
  drawn.resize(3);

  // Work that ends in the background is drawn when its result has landed.
  fakes.background.hold = true;
  main.panel.txtPassword.text = "secret";
  main.SetPasswordFromPanel();
  const std::size_t before = drawn.size();
  fakes.background.Finish();
  EXPECT_EQ(drawn.size(), before + 1);
  EXPECT_FALSE(main.panel.busy);

  DispatchedPanelEvents panelEvents(main, dispatch);
  EXPECT_TRUE(panelEvents.CloseRequested(CloseReason::WindowsEnding));
  EXPECT_EQ(drawn.size(), before + 2);
  form = nullptr;
}

// An event that throws has ended all the same: the panel is drawn, and a
// command or the password dialog afterwards is taken as after any other.
TEST_F(DispatchTest, AnEventThatThrowsLeavesTheProgramAnswering) {
  MainWindow main(dispatched.Get());
  form = &main;
  main.Load();
  const WindowHandle a = fakes.windows.Add({.title = "A"});
  main.hiding.Choose({a});

  EXPECT_THROW(dispatch([] { throw std::runtime_error("a handler failed"); }), std::runtime_error);
  EXPECT_TRUE(dispatch.MayStartEvent());
  EXPECT_EQ(drawn.size(), 1u);
  EXPECT_EQ(fakes.commands.Receive(Command::Toggle), CommandOutcome::Done);
  EXPECT_FALSE(fakes.windows.Find(a)->visible);

  // Nor does a password dialog that throws leave the next event thinking it
  // waits in that dialog.
  main.panel.chkShowWindows.value = 1;
  fakes.loginDialog.user = [](FakeLoginDialog::Buttons&) { throw std::runtime_error("the dialog failed"); };
  EXPECT_THROW(fakes.windowsHotkey.Press(), std::runtime_error);
  fakes.loginDialog.user = nullptr;
  std::optional<CommandOutcome> midway;
  EXPECT_THROW(dispatch([&] {
                 midway = fakes.commands.Receive(Command::Toggle);
                 throw std::runtime_error("again");
               }),
               std::runtime_error);
  EXPECT_EQ(midway, CommandOutcome::Busy);
  EXPECT_TRUE(dispatch.MayStartEvent());
  form = nullptr;
}

// A command is an event like any other: one that reaches the program in the
// middle of another (on Windows, while the logic waits on another program's
// window) waits until that one is done, but the password dialog takes it as it
// takes a hotkey. Once the program is shutting down, or gone, it takes none.
TEST_F(DispatchTest, CommandsWaitForTheEventUnderWayButNotForThePasswordDialog) {
  auto main = std::make_unique<MainWindow>(dispatched.Get());
  main->Load();
  const WindowHandle a = fakes.windows.Add({.title = "A"});
  main->hiding.Choose({a});

  std::optional<CommandOutcome> midway;
  dispatch([&] { midway = fakes.commands.Receive(Command::Toggle); });
  EXPECT_EQ(midway, CommandOutcome::Busy);
  EXPECT_TRUE(fakes.windows.Find(a)->visible);

  main->panel.chkShowWindows.value = 1;
  fakes.windowsHotkey.Press();
  ASSERT_FALSE(fakes.windows.Find(a)->visible);
  // A second command while the first one's dialog waits: the dialog closes,
  // and neither shows the windows.
  std::optional<CommandOutcome> during;
  fakes.loginDialog.user = [&](FakeLoginDialog::Buttons&) { during = fakes.commands.Receive(Command::Toggle); };
  EXPECT_EQ(fakes.commands.Receive(Command::Toggle), CommandOutcome::Refused);
  EXPECT_EQ(during, CommandOutcome::Refused);
  EXPECT_FALSE(fakes.windows.Find(a)->visible);

  fakes.loginDialog.AnswerWith("");
  EXPECT_EQ(fakes.commands.Receive(Command::Quit), CommandOutcome::Done);
  EXPECT_EQ(fakes.commands.Receive(Command::Toggle), CommandOutcome::Busy);
  main.reset();
  EXPECT_EQ(fakes.commands.Receive(Command::Toggle), std::nullopt);
}

}  // namespace
}  // namespace blindfold
