// The native Linux program as a whole, on the display in $DISPLAY
// (scripts/bench-x11-program.sh gives it a desktop of its own):
//  - start-up to a shown panel, and private memory after start-up, against a
//    minimal GTK program with one window;
//  - private memory, CPU time and wake-ups over a stretch of idleness, both
//    programs side by side with their windows shown;
//  - hide and show latency from the windows hotkey's key press (XTest) to the
//    moment the window manager has let go of the last of N windows of another
//    program (taken the last one on again), against the floor. The windows are
//    picked by an always-hide entry of their class.
// Each start has settings and a runtime folder of its own. Prints a Markdown
// table of medians of REPEATS runs (9 unless set); with IDLE_SECONDS 0, hide
// and show latency alone.
//   x11_program_bench BLINDFOLD MINIMAL [IDLE_SECONDS [N...]]
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "core/texts.h"
#include "x11_bench_support.h"

namespace {

using namespace blindfold::bench;

int Repetitions() {
  const char* set = std::getenv("REPEATS");
  const int repeats = set ? std::atoi(set) : 0;
  return repeats > 0 ? repeats : 9;
}

// A folder of its own under /tmp, removed with it.
struct TemporaryFolder {
  TemporaryFolder() {
    char name[] = "/tmp/blindfold-bench-XXXXXX";
    path = g_mkdtemp(name);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  ~TemporaryFolder() {
    const gchar* argv[] = {"rm", "-rf", path.c_str(), nullptr};
    g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, nullptr,
                 nullptr, nullptr);
  }
  std::string path;
};

// A program started with settings of its own, ended (SIGTERM) with this.
class Program {
 public:
  Program(const std::string& path, const std::string& settings) {
    const std::string config = folder_.path + "/config";
    const std::string machine = folder_.path + "/xdg";
    const std::string runtime = folder_.path + "/run";
    g_mkdir_with_parents((config + "/blindfold").c_str(), 0700);
    g_mkdir_with_parents((machine + "/blindfold").c_str(), 0700);
    g_mkdir_with_parents(runtime.c_str(), 0700);
    // Run by root, Blindfold reads the machine's settings; the user's win.
    for (const std::string& file : {config + "/blindfold/settings.ini", machine + "/blindfold/settings.ini"}) {
      std::ofstream(file) << settings;
    }
    gchar** env = g_get_environ();
    env = g_environ_setenv(env, "XDG_CONFIG_HOME", config.c_str(), TRUE);
    env = g_environ_setenv(env, "XDG_CONFIG_DIRS", machine.c_str(), TRUE);
    env = g_environ_setenv(env, "XDG_RUNTIME_DIR", runtime.c_str(), TRUE);
    env = g_environ_setenv(env, "HOME", folder_.path.c_str(), TRUE);
    gchar* argv[] = {const_cast<gchar*>(path.c_str()), nullptr};
    started_ = Clock::now();
    g_spawn_async(nullptr, argv, env,
                  static_cast<GSpawnFlags>(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDOUT_TO_DEV_NULL |
                                           G_SPAWN_STDERR_TO_DEV_NULL),
                  nullptr, nullptr, &pid_, nullptr);
    g_strfreev(env);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program() {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }

  // Milliseconds from the start to a window of this process shown and taken
  // on by the window manager.
  double WaitForWindow(X11Connection& x) const {
    const Atom pidAtom = x.Intern("_NET_WM_PID");
    for (;;) {
      for (const unsigned long window : Managed(x)) {
        const auto owner = x.ReadProperty(window, pidAtom, XA_CARDINAL);
        if (!owner || owner->numbers.empty() || owner->numbers[0] != static_cast<unsigned long>(pid_)) continue;
        XWindowAttributes attributes;
        if (XGetWindowAttributes(x.Get(), window, &attributes) && attributes.map_state == IsViewable) {
          return Milliseconds(Clock::now() - started_);
        }
      }
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  }

  // Private memory in KiB: the pages this process has written and no other
  // shares (heap, stacks, relocated data). Clean pages of libraries that only
  // this process maps count as private too, but only until another program
  // maps them, so they are left out.
  long PrivateKib() const {
    std::ifstream rollup("/proc/" + std::to_string(pid_) + "/smaps_rollup");
    for (std::string line; std::getline(rollup, line);) {
      if (line.starts_with("Private_Dirty:")) return std::atol(line.c_str() + line.find(':') + 1);
    }
    return 0;
  }

  // CPU time in clock ticks, over every thread the process ever had.
  long CpuTicks() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command name, which may hold spaces: utime and stime
    // are the 12th and 13th of them.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int i = 0; i < 11; ++i) fields >> field;
    long user = 0;
    long system = 0;
    fields >> user >> system;
    return user + system;
  }

  // Context switches (voluntary and not) of each thread alive now, by id.
  std::map<std::string, long> SwitchesByThread() const {
    std::map<std::string, long> switches;
    const std::string tasks = "/proc/" + std::to_string(pid_) + "/task";
    GDir* dir = g_dir_open(tasks.c_str(), 0, nullptr);
    if (!dir) return switches;
    while (const gchar* task = g_dir_read_name(dir)) {
      std::ifstream status(tasks + "/" + task + "/status");
      for (std::string line; std::getline(status, line);) {
        if (line.find("ctxt_switches:") != std::string::npos) {
          switches[task] += std::atol(line.c_str() + line.find(':') + 1);
        }
      }
    }
    g_dir_close(dir);
    return switches;
  }

 private:
  TemporaryFolder folder_;
  GPid pid_ = 0;
  Clock::time_point started_;
};

struct Footprint {
  double startup = 0;
  double privateKib = 0;
};

Footprint StartUp(X11Connection& x, const std::string& path) {
  std::vector<double> startups;
  std::vector<double> memory;
  for (int i = 0; i < Repetitions(); ++i) {
    Program program(path, "");
    startups.push_back(program.WaitForWindow(x));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    memory.push_back(static_cast<double>(program.PrivateKib()));
  }
  return {Median(startups), Median(memory)};
}

// The windows hotkey as Blindfold's defaults have it: Win+Z.
void PressWindowsHotkey(X11Connection& x) {
  Display* display = x.Get();
  const KeyCode super = XKeysymToKeycode(display, XK_Super_L);
  const KeyCode z = XKeysymToKeycode(display, XK_z);
  XTestFakeKeyEvent(display, super, True, CurrentTime);
  XTestFakeKeyEvent(display, z, True, CurrentTime);
  XTestFakeKeyEvent(display, z, False, CurrentTime);
  XTestFakeKeyEvent(display, super, False, CurrentTime);
  XFlush(display);
}

struct Latency {
  Figures blindfold;
  Figures floor;
};

// Each round the floor first, then Blindfold, so that a change of the
// machine's load meets both alike. The floor's windows are withdrawn while
// Blindfold works: no window manager lists them then.
Latency HideAndShow(X11Connection& x, const std::string& blindfold, std::size_t count) {
  OtherProcess other(count);
  WaitUntil(x, other.windows, true);
  FloorWindows floor(x, count);
  Program program(blindfold, "[Software/Blindfold]\nAlwaysHide=Window 0\tBench  (class)\n");
  program.WaitForWindow(x);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  std::vector<double> hides, shows, floorHides, floorShows;
  for (int i = 0; i < Repetitions(); ++i) {
    floorShows.push_back(floor.Show());
    floorHides.push_back(floor.Hide());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto start = Clock::now();
    PressWindowsHotkey(x);
    WaitUntil(x, other.windows, false);
    const auto hidden = Clock::now();
    PressWindowsHotkey(x);
    WaitUntil(x, other.windows, true);
    const auto shown = Clock::now();
    hides.push_back(Milliseconds(hidden - start));
    shows.push_back(Milliseconds(shown - hidden));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  return {{Median(hides), Median(shows)}, {Median(floorHides), Median(floorShows)}};
}

// Wake-ups between two looks at a process's threads: the switches of each
// thread since the first look, a thread born in between counting whole. A
// thread that ended in between is lost with its count.
long WakeUps(const std::map<std::string, long>& before, const std::map<std::string, long>& after) {
  long total = 0;
  for (const auto& [thread, switches] : after) {
    const auto earlier = before.find(thread);
    total += switches - (earlier == before.end() ? 0 : earlier->second);
  }
  return total;
}

void Row(const char* what, const std::string& n, double ours, double floor) {
  std::printf("| %s | %s | %.1f | %.1f | %.2f |\n", what, n.c_str(), ours, floor, ours / floor);
  std::fflush(stdout);
}

// Start-up and memory against the minimal program, then what idling costs
// both, side by side with their windows shown.
void FootprintAndIdle(X11Connection& x, const std::string& blindfold, const std::string& minimal, int idleSeconds) {
  const Footprint ours = StartUp(x, blindfold);
  const Footprint least = StartUp(x, minimal);
  Row("start-up to a shown window (ms)", "", ours.startup, least.startup);
  Row("private memory after start-up (KiB)", "", ours.privateKib, least.privateKib);

  Program idleOurs(blindfold, "");
  Program idleLeast(minimal, "");
  idleOurs.WaitForWindow(x);
  idleLeast.WaitForWindow(x);
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const long oursTicks = idleOurs.CpuTicks();
  const long leastTicks = idleLeast.CpuTicks();
  const auto oursSwitches = idleOurs.SwitchesByThread();
  const auto leastSwitches = idleLeast.SwitchesByThread();
  std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
  const double tick = 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
  std::printf("| idle CPU time over %d s (ms) | | %.0f | %.0f | |\n", idleSeconds,
              static_cast<double>(idleOurs.CpuTicks() - oursTicks) * tick,
              static_cast<double>(idleLeast.CpuTicks() - leastTicks) * tick);
  std::printf("| idle wake-ups over %d s | | %ld | %ld | |\n", idleSeconds,
              WakeUps(oursSwitches, idleOurs.SwitchesByThread()), WakeUps(leastSwitches, idleLeast.SwitchesByThread()));
  Row(("private memory after idling " + std::to_string(idleSeconds) + " s (KiB)").c_str(), "",
      static_cast<double>(idleOurs.PrivateKib()), static_cast<double>(idleLeast.PrivateKib()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s BLINDFOLD MINIMAL [IDLE_SECONDS [N...]]\n", argv[0]);
    return 2;
  }
  const auto x = blindfold::x11::X11Connection::Open();
  if (!x) {
    std::fprintf(stderr, "%s\n", blindfold::texts::kNeedsX11Session.data());
    return 1;
  }
  const std::string blindfold = argv[1];
  const std::string minimal = argv[2];
  const int idleSeconds = argc > 3 ? std::atoi(argv[3]) : 60;
  std::vector<std::size_t> sizes;
  for (int i = 4; i < argc; ++i) sizes.push_back(static_cast<std::size_t>(std::atoi(argv[i])));
  // A handful of windows is what the hotkey is pressed for; a fixed cost shows
  // there first.
  if (sizes.empty()) sizes = {1, 5, 20, 200};

  std::printf("| What | N | Blindfold | Minimal program or floor | Ratio |\n|---|---|---|---|---|\n");
  if (idleSeconds > 0) FootprintAndIdle(*x, blindfold, minimal, idleSeconds);

  for (const std::size_t count : sizes) {
    const Latency latency = HideAndShow(*x, blindfold, count);
    Row("hide latency (ms)", std::to_string(count), latency.blindfold.hide, latency.floor.hide);
    Row("show latency (ms)", std::to_string(count), latency.blindfold.show, latency.floor.show);
  }
  return 0;
}
