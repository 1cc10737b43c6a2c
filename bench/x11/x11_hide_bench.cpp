// Hide and show of N other-process windows through the X11 platform, to the
// moment the window manager has let go of the last one (taken it on again),
// against the floor: one process withdrawing and mapping its own windows the
// same way. Runs on the display in $DISPLAY; scripts/bench-x11.sh gives it a
// desktop of its own. Prints a Markdown table of medians.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <glib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_window_manager.h"

namespace {

using Clock = std::chrono::steady_clock;
using blindfold::x11::X11Connection;

constexpr int kRepetitions = 5;

std::unordered_set<unsigned long> Managed(X11Connection& x) {
  const auto list = x.ReadProperty(x.Root(), x.Intern("_NET_CLIENT_LIST_STACKING"), XA_WINDOW);
  if (!list) return {};
  return {list->numbers.begin(), list->numbers.end()};
}

// Milliseconds until all `windows` are managed (or none is), polled finely.
void WaitUntil(X11Connection& x, const std::vector<unsigned long>& windows, bool managed) {
  for (;;) {
    const auto current = Managed(x);
    const bool done = std::ranges::all_of(windows, [&](unsigned long w) { return current.contains(w) == managed; });
    if (done) return;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
}

double Median(std::vector<double> values) {
  std::ranges::sort(values);
  return values[values.size() / 2];
}

struct Figures {
  double hide = 0;
  double show = 0;
};

// Another process's windows, made by the tests' window program.
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
  ~OtherProcess() {
    close(input);
    waitpid(pid, nullptr, 0);
  }
  GPid pid = 0;
  int input = -1;
  std::vector<unsigned long> windows;
};

Figures Blindfold(X11Connection& x, std::size_t count) {
  OtherProcess other(count);
  WaitUntil(x, other.windows, true);
  blindfold::x11::X11WindowManager windows(x);
  std::vector<double> hides;
  std::vector<double> shows;
  for (int i = 0; i < kRepetitions; ++i) {
    const auto start = Clock::now();
    for (auto w = other.windows.rbegin(); w != other.windows.rend(); ++w) {
      windows.ShowWindowAsync(blindfold::WindowHandle(static_cast<std::int32_t>(*w)), blindfold::kShowCmdHide);
    }
    WaitUntil(x, other.windows, false);
    const auto hidden = Clock::now();
    for (const unsigned long w : other.windows) {
      windows.ShowWindowAsync(blindfold::WindowHandle(static_cast<std::int32_t>(w)), blindfold::kShowCmdShow);
    }
    WaitUntil(x, other.windows, true);
    const auto shown = Clock::now();
    hides.push_back(std::chrono::duration<double, std::milli>(hidden - start).count());
    shows.push_back(std::chrono::duration<double, std::milli>(shown - hidden).count());
  }
  return {Median(hides), Median(shows)};
}

Figures Floor(X11Connection& x, std::size_t count) {
  Display* display = x.Get();
  std::vector<unsigned long> own;
  for (std::size_t i = 0; i < count; ++i) {
    own.push_back(XCreateSimpleWindow(display, x.Root(), 100, 100, 300, 200, 0, 0, 0xFFFFFF));
    XMapWindow(display, own.back());
  }
  XFlush(display);
  WaitUntil(x, own, true);
  std::vector<double> hides;
  std::vector<double> shows;
  for (int i = 0; i < kRepetitions; ++i) {
    const auto start = Clock::now();
    for (const unsigned long w : own) XWithdrawWindow(display, w, x.Screen());
    XFlush(display);
    WaitUntil(x, own, false);
    const auto hidden = Clock::now();
    for (const unsigned long w : own) XMapWindow(display, w);
    XFlush(display);
    WaitUntil(x, own, true);
    const auto shown = Clock::now();
    hides.push_back(std::chrono::duration<double, std::milli>(hidden - start).count());
    shows.push_back(std::chrono::duration<double, std::milli>(shown - hidden).count());
  }
  for (const unsigned long w : own) XDestroyWindow(display, w);
  XSync(display, False);
  return {Median(hides), Median(shows)};
}

}  // namespace

int main(int argc, char** argv) {
  const auto x = X11Connection::Open();
  if (!x) {
    std::fprintf(stderr, "%s\n", blindfold::x11::kNeedsX11Session);
    return 1;
  }
  std::vector<std::size_t> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(static_cast<std::size_t>(std::atoi(argv[i])));
  if (sizes.empty()) sizes = {20, 200, 1000};
  std::printf("| What | N | Blindfold | Floor | Ratio |\n|---|---|---|---|---|\n");
  for (const std::size_t count : sizes) {
    const Figures floor = Floor(*x, count);
    const Figures ours = Blindfold(*x, count);
    std::printf("| hide (ms) | %zu | %.1f | %.1f | %.2f |\n", count, ours.hide, floor.hide, ours.hide / floor.hide);
    std::printf("| show (ms) | %zu | %.1f | %.1f | %.2f |\n", count, ours.show, floor.show, ours.show / floor.show);
    std::fflush(stdout);
  }
  return 0;
}
