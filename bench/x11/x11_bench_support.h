// What the X11 benchmarks share: another process's windows, waiting for the
// window manager to take windows on or let them go, the floor of hiding and
// showing, and medians.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <glib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "platform/x11/x11_connection.h"

namespace blindfold::bench {

using Clock = std::chrono::steady_clock;
using x11::X11Connection;

inline double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

inline double Median(std::vector<double> values) {
  std::ranges::sort(values);
  return values[values.size() / 2];
}

inline std::unordered_set<unsigned long> Managed(X11Connection& x) {
  const auto list = x.ReadProperty(x.Root(), x.Intern("_NET_CLIENT_LIST_STACKING"), XA_WINDOW);
  if (!list) return {};
  return {list->numbers.begin(), list->numbers.end()};
}

// Returns once all `windows` are managed (or none is), polled finely.
inline void WaitUntil(X11Connection& x, const std::vector<unsigned long>& windows, bool managed) {
  for (;;) {
    const auto current = Managed(x);
    const bool done = std::ranges::all_of(windows, [&](unsigned long w) { return current.contains(w) == managed; });
    if (done) return;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
}

// Another process's windows, made by the tests' window program, titled
// "Window 0", "Window 1"… of the class "Bench".
struct OtherProcess {
  explicit OtherProcess(std::size_t count) {
    std::vector<std::string> descriptions;
    for (std::size_t i = 0; i < count; ++i) descriptions.push_back("Window " + std::to_string(i) + "|Bench");
    std::vector<gchar*> argv = {const_cast<gchar*>(BLINDFOLD_TEST_WINDOWS_APP)};
    for (std::string& description : descriptions) argv.push_back(description.data());
    argv.push_back(nullptr);
    int output = -1;
    g_spawn_async_with_pipes(nullptr, argv.data(), nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &pid, &input,
                             &output, nullptr, nullptr);
    FILE* lines = fdopen(output, "r");
    unsigned long id = 0;
    while (windows.size() < count && std::fscanf(lines, "%lu", &id) == 1) windows.push_back(id);
    std::fclose(lines);
  }
  OtherProcess(const OtherProcess&) = delete;
  OtherProcess& operator=(const OtherProcess&) = delete;
  ~OtherProcess() {
    close(input);
    waitpid(pid, nullptr, 0);
  }
  GPid pid = 0;
  int input = -1;
  std::vector<unsigned long> windows;
};

struct Figures {
  double hide = 0;
  double show = 0;
};

// The floor: one process withdrawing and mapping `count` windows of its own,
// to the moment the window manager has let go of the last one (taken it on
// again). They are made withdrawn.
class FloorWindows {
 public:
  FloorWindows(X11Connection& x, std::size_t count) : x_(x) {
    for (std::size_t i = 0; i < count; ++i) {
      own_.push_back(XCreateSimpleWindow(x.Get(), x.Root(), 100, 100, 300, 200, 0, 0, 0xFFFFFF));
    }
    XFlush(x.Get());
  }
  FloorWindows(const FloorWindows&) = delete;
  FloorWindows& operator=(const FloorWindows&) = delete;
  ~FloorWindows() {
    for (const unsigned long w : own_) XDestroyWindow(x_.Get(), w);
    XSync(x_.Get(), False);
  }

  // Milliseconds to map them all, and to withdraw them all.
  double Show() {
    const auto start = Clock::now();
    for (const unsigned long w : own_) XMapWindow(x_.Get(), w);
    XFlush(x_.Get());
    WaitUntil(x_, own_, true);
    return Milliseconds(Clock::now() - start);
  }
  double Hide() {
    const auto start = Clock::now();
    for (const unsigned long w : own_) XWithdrawWindow(x_.Get(), w, x_.Screen());
    XFlush(x_.Get());
    WaitUntil(x_, own_, false);
    return Milliseconds(Clock::now() - start);
  }

 private:
  X11Connection& x_;
  std::vector<unsigned long> own_;
};

// The floor's medians over `repetitions` rounds.
inline Figures Floor(X11Connection& x, std::size_t count, int repetitions) {
  FloorWindows floor(x, count);
  floor.Show();
  std::vector<double> hides;
  std::vector<double> shows;
  for (int i = 0; i < repetitions; ++i) {
    hides.push_back(floor.Hide());
    shows.push_back(floor.Show());
  }
  return {Median(hides), Median(shows)};
}

}  // namespace blindfold::bench
