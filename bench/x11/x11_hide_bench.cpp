// Hide and show of N other-process windows through the X11 platform, to the
// moment the window manager has let go of the last one (taken it on again),
// against the floor: one process withdrawing and mapping its own windows the
// same way. Runs on the display in $DISPLAY; scripts/bench-x11.sh gives it a
// desktop of its own. Prints a Markdown table of medians.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/texts.h"
#include "platform/x11/x11_window_manager.h"
#include "x11_bench_support.h"

namespace {

using namespace blindfold::bench;

constexpr int kRepetitions = 5;

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
    hides.push_back(Milliseconds(hidden - start));
    shows.push_back(Milliseconds(shown - hidden));
  }
  return {Median(hides), Median(shows)};
}

}  // namespace

int main(int argc, char** argv) {
  const auto x = blindfold::x11::X11Connection::Open();
  if (!x) {
    std::fprintf(stderr, "%s\n", blindfold::texts::kNeedsX11Session.data());
    return 1;
  }
  std::vector<std::size_t> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(static_cast<std::size_t>(std::atoi(argv[i])));
  if (sizes.empty()) sizes = {20, 200, 1000};
  std::printf("| What | N | Blindfold | Floor | Ratio |\n|---|---|---|---|---|\n");
  for (const std::size_t count : sizes) {
    const Figures floor = Floor(*x, count, kRepetitions);
    const Figures ours = Blindfold(*x, count);
    std::printf("| hide (ms) | %zu | %.1f | %.1f | %.2f |\n", count, ours.hide, floor.hide, ours.hide / floor.hide);
    std::printf("| show (ms) | %zu | %.1f | %.1f | %.2f |\n", count, ours.show, floor.show, ours.show / floor.show);
    std::fflush(stdout);
  }
  return 0;
}
