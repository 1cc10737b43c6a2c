// The X11 platform on a real desktop: the X server, openbox and tint2 and the
// PulseAudio server that scripts/x11-session.sh starts; the windows are those
// of another process (x11_test_windows). BLINDFOLD_X11_SESSION names the
// session's folder, whose env file says where everything is.
// GoogleTest before Xlib, whose None and Bool macros would break its headers.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <glib.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>
#include <thread>

#include "core/log.h"
#include "panel/panel_model.h"
#include "platform/linux/key_file_registry.h"
#include "platform/linux/pulse_mixer.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_hotkey.h"
#include "platform/x11/x11_window_manager.h"
#include "windows/recovery.h"
#include "windows/window_list.h"

namespace blindfold::x11 {
namespace {

using linux_desktop::KeyFileRegistry;
using linux_desktop::PulseMixer;
using linux_desktop::SettingsPaths;

using namespace std::chrono_literals;

// Waits for what the window manager or the server does in its own time.
template <class Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds timeout = 10s) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

// Another process and its windows; it ends when the object goes.
class TestWindows {
 public:
  explicit TestWindows(std::vector<std::string> descriptions) {
    std::vector<gchar*> argv = {const_cast<gchar*>(BLINDFOLD_TEST_WINDOWS_APP)};
    for (std::string& description : descriptions) argv.push_back(description.data());
    argv.push_back(nullptr);
    int output = -1;
    if (!g_spawn_async_with_pipes(nullptr, argv.data(), nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &pid_,
                                  &input_, &output, nullptr, nullptr)) {
      return;
    }
    FILE* lines = fdopen(output, "r");
    unsigned long id = 0;
    for (std::size_t i = 0; i < descriptions.size() && std::fscanf(lines, "%lu", &id) == 1; ++i) ids.push_back(id);
    std::fclose(lines);
  }
  ~TestWindows() { End(); }
  void End() {
    if (input_ < 0) return;
    close(input_);
    input_ = -1;
    waitpid(pid_, nullptr, 0);
  }
  WindowHandle Handle(std::size_t i) const { return WindowHandle(static_cast<std::int32_t>(ids.at(i))); }

  std::vector<unsigned long> ids;

 private:
  GPid pid_ = 0;
  int input_ = -1;
};

// The row of a window in the open-windows list; -1 when it is not listed.
int RowOf(const PanelModel& panel, WindowHandle handle) {
  for (std::size_t i = 0; i < panel.openWindows.ListCount(); ++i) {
    if (panel.openWindows.Row(i).itemData == handle) return static_cast<int>(i);
  }
  return -1;
}

class X11DesktopTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const char* session = std::getenv("BLINDFOLD_X11_SESSION");
    ASSERT_NE(session, nullptr) << "run through ctest: the session fixture starts the desktop";
    std::ifstream env(std::string(session) + "/env");
    std::string line;
    while (std::getline(env, line)) {
      const std::size_t equals = line.find('=');
      if (equals != std::string::npos) setenv(line.substr(0, equals).c_str(), line.substr(equals + 1).c_str(), 1);
    }
  }

  void SetUp() override {
    x = X11Connection::Open();
    ASSERT_TRUE(x) << "no X server on " << std::getenv("DISPLAY");
    windows = std::make_unique<X11WindowManager>(*x);
  }

  std::vector<unsigned long> Stack() {
    auto list = x->ReadProperty(x->Root(), x->Intern("_NET_CLIENT_LIST_STACKING"), XA_WINDOW);
    return list ? list->numbers : std::vector<unsigned long>{};
  }
  bool Managed(unsigned long window) {
    const auto stack = Stack();
    return std::ranges::find(stack, window) != stack.end();
  }
  std::vector<unsigned long> Numbers(unsigned long window, const char* property, Atom type) {
    auto value = x->ReadProperty(window, x->Intern(property), type);
    return value ? value->numbers : std::vector<unsigned long>{};
  }
  bool HasState(unsigned long window, const char* state) {
    const auto states = Numbers(window, "_NET_WM_STATE", XA_ATOM);
    return std::ranges::find(states, x->Intern(state)) != states.end();
  }
  unsigned long WmState(unsigned long window) {
    const auto state = Numbers(window, "WM_STATE", x->Intern("WM_STATE"));
    return state.empty() ? WithdrawnState : state[0];
  }
  std::pair<int, int> Position(unsigned long window) {
    int left = 0;
    int top = 0;
    ::Window child = None;
    XTranslateCoordinates(x->Get(), window, x->Root(), 0, 0, &left, &top, &child);
    return {left, top};
  }
  // What a pager asks of the window manager.
  void AskWindowManager(unsigned long window, const char* message, std::array<long, 3> data) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = x->Intern(message);
    event.xclient.format = 32;
    event.xclient.data.l[0] = data[0];
    event.xclient.data.l[1] = data[1];
    event.xclient.data.l[2] = data[2];
    XSendEvent(x->Get(), x->Root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(x->Get());
  }
  void AddStates(unsigned long window, const char* first, const char* second = nullptr) {
    AskWindowManager(window, "_NET_WM_STATE",
                     {1, static_cast<long>(x->Intern(first)), second ? static_cast<long>(x->Intern(second)) : 0});
  }

  std::unique_ptr<X11Connection> x;
  std::unique_ptr<X11WindowManager> windows;
};

TEST_F(X11DesktopTest, ListsOtherProgramsWindowsAsTheLogicExpects) {
  TestWindows app({"Übersicht ✓|Notes", "caf\xc3\xa9 only WM_NAME|Legacy|latin1", "Find|Notes|owned",
                   "desk|Desk|desktop", "Top one|Topper"});
  ASSERT_EQ(app.ids.size(), 5u);
  ASSERT_TRUE(WaitFor([&] { return std::ranges::all_of(app.ids, [&](unsigned long id) { return Managed(id); }); }));
  XRaiseWindow(x->Get(), app.ids[4]);
  XFlush(x->Get());
  // The panel stays above every window; among the test's windows the raised
  // one is on top.
  ASSERT_TRUE(WaitFor([&] {
    const auto stack = Stack();
    return std::ranges::find(stack, app.ids[4]) > std::ranges::find(stack, app.ids[0]);
  }));

  PanelModel panel;
  RebuildOpenWindowsList(*windows, panel);
  std::vector<std::string> rows;
  for (const ListRow& row : panel.openWindows.Rows()) rows.push_back(row.text);
  const auto rowOf = [&](WindowHandle handle) { return RowOf(panel, handle); };
  ASSERT_GE(rowOf(app.Handle(0)), 0) << testing::PrintToString(rows);
  EXPECT_EQ(panel.openWindows.Row(static_cast<std::size_t>(rowOf(app.Handle(0)))).text,
            OpenWindowRowText("Übersicht ✓", "Notes"));
  ASSERT_GE(rowOf(app.Handle(1)), 0);
  EXPECT_EQ(panel.openWindows.Row(static_cast<std::size_t>(rowOf(app.Handle(1)))).text,
            OpenWindowRowText("café only WM_NAME", "Legacy"));
  EXPECT_EQ(rowOf(app.Handle(2)), -1) << "an owned window is not listed";
  EXPECT_EQ(windows->State(app.Handle(2)).parent, app.Handle(0));
  EXPECT_EQ(rowOf(app.Handle(3)), -1) << "the desktop has a box of its own";
  EXPECT_EQ(panel.chkProgramManager.tag, std::to_string(app.Handle(3).Value()));
  EXPECT_LT(rowOf(app.Handle(4)), rowOf(app.Handle(0))) << "top of the stack first";

  // tint2's panel is the taskbar.
  ASSERT_FALSE(panel.chkTaskbar.tag.empty());
  const auto panelWindow = static_cast<unsigned long>(std::stoul(panel.chkTaskbar.tag));
  EXPECT_EQ(ClassFromWmClass({reinterpret_cast<const char*>(x->ReadProperty(panelWindow, XA_WM_CLASS)->bytes.data()),
                              x->ReadProperty(panelWindow, XA_WM_CLASS)->bytes.size()}),
            "Tint2");
  EXPECT_EQ(windows->ProcessId(app.Handle(0)), windows->ProcessId(app.Handle(1)));
  EXPECT_NE(windows->ProcessId(app.Handle(0)), 0u);
  EXPECT_EQ(windows->WindowTextLength(app.Handle(0)), 11);
  EXPECT_EQ(windows->WindowText(app.Handle(0), 4), "Übe");
  EXPECT_EQ(windows->ClassName(app.Handle(0), 3), "No");
}

TEST_F(X11DesktopTest, HidesAndShowsWindowsAsTheUserLeftThem) {
  TestWindows app({"On desktop two|Test", "Maximised above|Test", "Minimised|Test", "On every desktop|Test", "Moved|Test"});
  ASSERT_EQ(app.ids.size(), 5u);
  // A second panel, which goes and comes back with tint2's.
  TestWindows secondPanel({"Panel|Dock|dock"});
  ASSERT_EQ(secondPanel.ids.size(), 1u);
  const unsigned long dock = secondPanel.ids[0];
  ASSERT_TRUE(WaitFor([&] { return std::ranges::all_of(app.ids, [&](unsigned long id) { return Managed(id); }) &&
                                   Managed(dock); }));
  const unsigned long onTwo = app.ids[0], maximised = app.ids[1], minimised = app.ids[2], sticky = app.ids[3],
                      moved = app.ids[4];
  AskWindowManager(onTwo, "_NET_WM_DESKTOP", {1, 0, 0});
  AddStates(maximised, "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ");
  AddStates(maximised, "_NET_WM_STATE_ABOVE");
  XIconifyWindow(x->Get(), minimised, x->Screen());
  // Openbox keeps a window on every desktop through its desktop number alone.
  AskWindowManager(sticky, "_NET_WM_DESKTOP", {0xFFFFFFFFl, 0, 0});
  XMoveWindow(x->Get(), moved, 333, 222);
  XFlush(x->Get());
  WaitFor([&] {
    return Numbers(onTwo, "_NET_WM_DESKTOP", XA_CARDINAL) == std::vector<unsigned long>{1} &&
           HasState(maximised, "_NET_WM_STATE_MAXIMIZED_HORZ") && HasState(maximised, "_NET_WM_STATE_ABOVE") &&
           WmState(minimised) == IconicState &&
           Numbers(sticky, "_NET_WM_DESKTOP", XA_CARDINAL) == std::vector<unsigned long>{0xFFFFFFFF};
  });
  ASSERT_EQ(Numbers(onTwo, "_NET_WM_DESKTOP", XA_CARDINAL), std::vector<unsigned long>{1});
  ASSERT_TRUE(HasState(maximised, "_NET_WM_STATE_MAXIMIZED_HORZ"));
  ASSERT_TRUE(HasState(maximised, "_NET_WM_STATE_ABOVE"));
  ASSERT_EQ(WmState(minimised), static_cast<unsigned long>(IconicState));
  ASSERT_EQ(Numbers(sticky, "_NET_WM_DESKTOP", XA_CARDINAL), std::vector<unsigned long>{0xFFFFFFFF});
  std::this_thread::sleep_for(200ms);
  const auto movedAt = Position(moved);
  const auto onTwoAt = Position(onTwo);
  PanelModel panel;
  RebuildOpenWindowsList(*windows, panel);
  ASSERT_FALSE(panel.chkTaskbar.tag.empty());
  const WindowHandle taskbar(std::stoi(panel.chkTaskbar.tag));
  const auto taskbarAt = Position(static_cast<unsigned long>(static_cast<std::uint32_t>(taskbar.Value())));
  const auto dockAt = Position(dock);
  EXPECT_EQ(RowOf(panel, WindowHandle(static_cast<std::int32_t>(dock))), -1) << "one taskbar stands for every panel";

  for (std::size_t i = 0; i < app.ids.size(); ++i) {
    EXPECT_TRUE(windows->IsWindowVisible(app.Handle(i))) << i << ": a minimised window counts as visible";
    ASSERT_TRUE(windows->ShowWindowAsync(app.Handle(i), kShowCmdHide));
    EXPECT_FALSE(windows->IsWindowVisible(app.Handle(i))) << i;
  }
  ASSERT_TRUE(windows->ShowWindowAsync(taskbar, kShowCmdHide));
  ASSERT_TRUE(WaitFor([&] {
    return std::ranges::none_of(app.ids, [&](unsigned long id) { return Managed(id) || WmState(id) != WithdrawnState; }) &&
           !Managed(static_cast<unsigned long>(static_cast<std::uint32_t>(taskbar.Value()))) && !Managed(dock);
  })) << "the window manager let go of every hidden window and of both panels";
  PanelModel whileHidden;
  RebuildOpenWindowsList(*windows, whileHidden);
  EXPECT_EQ(whileHidden.chkTaskbar.tag, "");
  for (std::size_t i = 0; i < app.ids.size(); ++i) EXPECT_EQ(RowOf(whileHidden, app.Handle(i)), -1) << i;

  // A second hide must not forget what the first kept.
  ASSERT_TRUE(windows->ShowWindowAsync(app.Handle(1), kShowCmdHide));

  // Blindfold dies here; the one started next finds the windows in the record
  // and knows nothing else of the hide.
  const std::filesystem::path runtime =
      std::filesystem::temp_directory_path() / ("blindfold-record-" + std::to_string(getpid()));
  SettingsPaths paths;
  paths.recordFile = runtime / "hidden-windows.ini";
  KeyFileRegistry registry(paths, nullptr);
  std::vector<WindowHandle> hidden;
  for (std::size_t i = 0; i < app.ids.size(); ++i) hidden.push_back(app.Handle(i));
  RecoveryRecord(registry, *windows).Add(hidden);
  X11WindowManager restarted(*x);
  EXPECT_EQ(WindowsToRecover(restarted, RecoveryRecord(registry, restarted).Load()), hidden);
  std::filesystem::remove_all(runtime);
  for (std::size_t i = 0; i < app.ids.size(); ++i) ASSERT_TRUE(restarted.ShowWindowAsync(app.Handle(i), kShowCmdShow));
  ASSERT_TRUE(restarted.ShowWindowAsync(taskbar, kShowCmdShow));
  ASSERT_TRUE(WaitFor([&] {
    return std::ranges::all_of(app.ids, [&](unsigned long id) { return Managed(id); }) &&
           Managed(static_cast<unsigned long>(static_cast<std::uint32_t>(taskbar.Value()))) && Managed(dock) && WmState(minimised) == IconicState;
  }));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(Numbers(onTwo, "_NET_WM_DESKTOP", XA_CARDINAL), std::vector<unsigned long>{1});
  EXPECT_EQ(Position(onTwo), onTwoAt);
  EXPECT_TRUE(HasState(maximised, "_NET_WM_STATE_MAXIMIZED_VERT"));
  EXPECT_TRUE(HasState(maximised, "_NET_WM_STATE_MAXIMIZED_HORZ"));
  EXPECT_TRUE(HasState(maximised, "_NET_WM_STATE_ABOVE"));
  EXPECT_EQ(WmState(minimised), static_cast<unsigned long>(IconicState)) << "minimised stays minimised";
  EXPECT_EQ(Numbers(sticky, "_NET_WM_DESKTOP", XA_CARDINAL), std::vector<unsigned long>{0xFFFFFFFF});
  EXPECT_EQ(Position(moved), movedAt);
  EXPECT_EQ(Position(static_cast<unsigned long>(static_cast<std::uint32_t>(taskbar.Value()))), taskbarAt);
  EXPECT_EQ(Position(dock), dockAt);
  for (std::size_t i = 0; i < app.ids.size(); ++i) EXPECT_TRUE(windows->IsWindowVisible(app.Handle(i))) << i;
}

TEST_F(X11DesktopTest, AWindowThatVanishedIsAnsweredNotFatal) {
  TestWindows app({"Short-lived|Gone"});
  ASSERT_EQ(app.ids.size(), 1u);
  const WindowHandle gone = app.Handle(0);
  ASSERT_TRUE(WaitFor([&] { return Managed(app.ids[0]); }));
  EXPECT_NE(windows->ProcessId(gone), 0u);
  app.End();
  ASSERT_TRUE(WaitFor([&] { return !Managed(app.ids[0]); }));
  EXPECT_FALSE(windows->ShowWindowAsync(gone, kShowCmdHide));
  EXPECT_FALSE(windows->ShowWindowAsync(gone, kShowCmdShow));
  EXPECT_FALSE(windows->IsWindowVisible(gone));
  EXPECT_FALSE(windows->State(gone).parent);
  EXPECT_FALSE(windows->State(gone).visible);
  EXPECT_EQ(windows->ProcessId(gone), 0u);
  EXPECT_EQ(windows->WindowText(gone, 100), "");
  EXPECT_EQ(windows->ClassName(gone, 100), "");
  // The connection still serves.
  PanelModel panel;
  RebuildOpenWindowsList(*windows, panel);
  EXPECT_FALSE(panel.chkTaskbar.tag.empty());
}

// An X error a trap expects is the trap's alone; one nothing expected is told
// in the log; neither is fatal. A trap whose requests throw still puts back
// the handler it found.
TEST_F(X11DesktopTest, AnXErrorNothingExpectedIsLoggedAndATrapAlwaysPutsBackTheHandler) {
  std::vector<std::string> lines;
  log::Start(log::Level::Warning, [&lines](std::string_view line) { lines.emplace_back(line); });
  const ::Window nowhere = x->Root() + 0x0fffff;  // no window of anyone's
  EXPECT_EQ(x->Trap([&] { XMapWindow(x->Get(), nowhere); }), BadWindow);
  EXPECT_TRUE(lines.empty());
  XMapWindow(x->Get(), nowhere);
  XSync(x->Get(), False);
  log::Stop();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("no request expected"), std::string::npos) << lines[0];

  const XErrorHandler ours = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  const XErrorHandler before = XSetErrorHandler(nullptr);
  XSetErrorHandler(before);
  EXPECT_THROW(x->Trap([] { throw std::runtime_error("requests that failed"); }), std::runtime_error);
  const XErrorHandler after = XSetErrorHandler(ours);
  EXPECT_EQ(after, before);
}

TEST_F(X11DesktopTest, AGrabbedCombinationIsPressedWhateverTheLocksAndAHeldOneRefused) {
  X11Hotkey hotkey(*x);
  int presses = 0;
  hotkey.SetPressedHandler([&] { ++presses; });
  const auto pressUntil = [&](const char* keys, int expected) {
    const std::string command = std::string("xdotool key --clearmodifiers ") + keys;
    if (std::system(command.c_str()) != 0) return false;
    return WaitFor([&] {
      x->DispatchPending();
      return presses >= expected;
    }, 3s);
  };
  ASSERT_TRUE(hotkey.Arm({.winKey = true, .vkey = 'Z'}).armed);
  EXPECT_TRUE(pressUntil("super+z", 1));
  EXPECT_FALSE(pressUntil("ctrl+super+z", 2)) << "another combination of the same key is not this one";
  ASSERT_EQ(std::system("xdotool key Num_Lock Caps_Lock"), 0);
  EXPECT_TRUE(pressUntil("super+z", 2)) << "with NumLock and CapsLock on";
  ASSERT_EQ(std::system("xdotool key Num_Lock Caps_Lock"), 0);
  EXPECT_EQ(presses, 2);

  // Another program holds Ctrl+Alt+F9.
  const auto other = X11Connection::Open();
  ASSERT_TRUE(other);
  ASSERT_EQ(other->Trap([&] {
    XGrabKey(other->Get(), XKeysymToKeycode(other->Get(), XStringToKeysym("F9")), ControlMask | Mod1Mask,
             other->Root(), False, GrabModeAsync, GrabModeAsync);
  }), Success);
  const HotkeyArmResult refused = hotkey.Arm({.ctrlKey = true, .altKey = true, .vkey = 0x78});
  EXPECT_FALSE(refused.armed);
  EXPECT_NE(refused.reason.find("already uses this combination"), std::string::npos) << refused.reason;
  EXPECT_FALSE(pressUntil("super+z", 3)) << "the refused arming let go of the combination before it";
  EXPECT_TRUE(hotkey.Arm({.winKey = true, .vkey = 'Z'}).armed);
  EXPECT_TRUE(pressUntil("super+z", 3));
}

TEST_F(X11DesktopTest, TheVolumeIsTheDefaultSinksAndNoServerIsNoDevice) {
  PulseMixer mixer;
  ASSERT_TRUE(mixer.Open());
  const auto control = mixer.FindSpeakersVolume();
  ASSERT_TRUE(control);
  EXPECT_EQ(control->maximum, 65535);
  ASSERT_TRUE(mixer.SetValue(*control, 32768));
  EXPECT_NEAR(static_cast<double>(mixer.Value().value_or(0)), 32768, 2);
  ASSERT_TRUE(mixer.SetValue(*control, 0));
  EXPECT_EQ(mixer.Value(), 0u);
  ASSERT_TRUE(mixer.SetValue(*control, 65535));
  EXPECT_EQ(mixer.Value(), 65535u);

  const std::string server = std::getenv("PULSE_SERVER");
  setenv("PULSE_SERVER", "unix:/nonexistent/blindfold-no-server", 1);
  PulseMixer none;
  EXPECT_FALSE(none.Open());
  EXPECT_FALSE(none.FindSpeakersVolume());
  EXPECT_FALSE(none.SetValue({}, 100));
  setenv("PULSE_SERVER", server.c_str(), 1);
}

// The session script acts on the sound server as a desktop's troubles would.
bool SoundServer(const std::string& action, const std::string& signal = "") {
  const std::string session = std::getenv("BLINDFOLD_X11_SESSION");
  const std::string command = std::string(BLINDFOLD_SESSION_SCRIPT) + " " + action + " " + session + " " + signal;
  return std::system(command.c_str()) == 0;
}

TEST_F(X11DesktopTest, AHungSoundServerIsNotWaitedForAndOneThatComesBackIsFoundAgain) {
  PulseMixer mixer;
  ASSERT_TRUE(mixer.Open());
  const auto control = mixer.FindSpeakersVolume();
  ASSERT_TRUE(control);
  ASSERT_TRUE(SoundServer("stop-sound", "STOP"));
  std::atomic<bool> answered = false;
  std::thread mute([&] {
    mixer.SetValue(*control, 0);
    answered = true;
  });
  // A hang is told from a slow answer by waiting far longer than any answer takes.
  EXPECT_TRUE(WaitFor([&] { return answered.load(); }, 20s)) << "the mute waits on the hung server for good";
  ASSERT_TRUE(SoundServer("stop-sound", "CONT"));
  mute.join();

  ASSERT_TRUE(SoundServer("restart-sound"));
  EXPECT_TRUE(mixer.SetValue(*control, 32768)) << "the server that came back is not found";
  PulseMixer other;
  ASSERT_TRUE(other.Open());
  EXPECT_NEAR(static_cast<double>(other.Value().value_or(0)), 32768, 2);
  EXPECT_TRUE(mixer.SetValue(*control, 65535));
}

}  // namespace
}  // namespace blindfold::x11
