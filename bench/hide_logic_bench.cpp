// How the windows toggle's hide and the panel's "Refresh" grow with the number
// of open windows. Every window is named in the hidden-window record, and the
// always-hide list holds as many entries as there are windows, so each pass
// rebuilds the list, marks every row from the record and matches the whole
// always-hide list.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <benchmark/benchmark.h>

#include "panel/panel_model.h"
#include "platform/fake/fake_window_manager.h"
#include "platform/fake/fake_window_watch.h"
#include "windows/window_list.h"
#include "windows/window_toggle.h"

namespace blindfold {
namespace {

// The toggle's host with nothing behind it: no dialog, no panel, no sound.
class NullToggleHost final : public ToggleHost {
 public:
  void CloseLoginDialog() override {}
  void HidePanel() override {}
  void FlashPanel() override {}
  void MuteSound() override {}
  void RestoreSound() override {}
  bool AskPassword() override { return true; }
  WindowHandle PanelHandle() override { return WindowHandle(); }
  void ReportNotHidden(const std::string&) override {}
};

constexpr std::array<std::string_view, 4> kClasses = {"TextEditor", "BrowserFrame", "ConsoleHost",
                                                      "MediaPlayer"};

// N open windows with distinct titles over a few classes, a record naming all
// of them and an always-hide list of N entries. One entry in four is the row
// text of an open window (so its class matches); the others are windows that
// are no longer open, each with a class of its own, so the entries' class set
// grows with N. The first entry is the selected one.
class HideScene {
 public:
  explicit HideScene(std::size_t count) : count_(count) {
    std::vector<WindowHandle> chosen;
    for (std::size_t i = 0; i < count; ++i) {
      const std::string title = "Document " + std::to_string(i) + " - Editor";
      const std::string_view className = kClasses[i % kClasses.size()];
      chosen.push_back(windows.Add({.title = title, .className = std::string(className)}));
      if (i % 4 == 0) {
        panel.alwaysHide.AddItem(OpenWindowRowText(title, className));
      } else {
        panel.alwaysHide.AddItem(OpenWindowRowText("Closed window " + std::to_string(i),
                                              "ClosedClass" + std::to_string(i)));
      }
    }
    panel.alwaysHide.SetCurrentRow(0);
    hiding.Choose(chosen);
    record_ = hiding.Hidden();
  }

  std::size_t Count() const { return count_; }
  const HiddenWindows& Record() const { return record_; }

  // True when every window is listed, marked and visible, and the record and
  // the toggle state are back as they started.
  bool AtRest() {
    if (hiding.WindowsHidden() || hiding.Hidden() != record_) return false;
    if (panel.openWindows.ListCount() != count_) return false;
    for (const ListRow& row : panel.openWindows.Rows()) {
      if (!row.marked) return false;
    }
    for (const FakeWindow& window : windows.stack) {
      if (!window.visible) return false;
    }
    return true;
  }

  FakeWindowManager windows;
  PanelModel panel;
  NullToggleHost host;
  FakeWindowWatch watch;
  WindowHiding hiding{panel, windows, watch, host};

 private:
  std::size_t count_;
  HiddenWindows record_;
};

// The hide half of the toggle: rebuild the list, mark the recorded windows,
// match the always-hide list, hide every marked window and write the record.
// The windows are shown again in the same pass (the record is kept), so every
// iteration starts from the same state and does the same work.
void BM_HideThenShow(benchmark::State& state) {
  HideScene scene(static_cast<std::size_t>(state.range(0)));
  const std::size_t toldPerPass = 2 * scene.Count();
  for (auto _ : state) {
    scene.hiding.ToggleChosenWindows();
    scene.hiding.ShowHiddenWindows();
    if (scene.windows.toldToShowOrHide.size() != toldPerPass) {
      state.SkipWithError("a pass did not hide and show every window");
      break;
    }
    scene.windows.toldToShowOrHide.clear();
    benchmark::DoNotOptimize(scene.hiding.Hidden().Handles().data());
    benchmark::ClobberMemory();
  }
  if (!scene.AtRest()) state.SkipWithError("the scene did not come back to its start");
  state.SetComplexityN(state.range(0));
  state.counters["windows"] = static_cast<double>(scene.Count());
}

// "Refresh": rebuild the list and mark again the recorded windows. Nothing it
// touches outlives the pass, so every iteration does the same work.
void BM_Refresh(benchmark::State& state) {
  HideScene scene(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    scene.hiding.RefreshWindowList();
    if (scene.panel.openWindows.ListCount() != scene.Count()) {
      state.SkipWithError("a pass did not list every window");
      break;
    }
    benchmark::DoNotOptimize(scene.panel.openWindows.Rows().data());
    benchmark::ClobberMemory();
  }
  if (!scene.AtRest() || !scene.windows.toldToShowOrHide.empty()) {
    state.SkipWithError("the scene did not come back to its start");
  }
  state.SetComplexityN(state.range(0));
  state.counters["windows"] = static_cast<double>(scene.Count());
}

// One look of the watch that keeps hidden windows hidden, with one window in
// ten hidden and the rest on screen: what each tick costs in the logic while
// windows are hidden. The platform's calls come on top (scripts/bench-wine.sh).
void BM_LookWhileHidden(benchmark::State& state) {
  FakeWindowManager windows;
  PanelModel panel;
  NullToggleHost host;
  FakeWindowWatch watch;
  WindowHiding hiding{panel, windows, watch, host};
  const auto count = static_cast<std::size_t>(state.range(0));
  std::vector<WindowHandle> chosen;
  for (std::size_t i = 0; i < count; ++i) {
    const WindowHandle window = windows.Add({.title = "Window " + std::to_string(i),
                                             .className = std::string(kClasses[i % kClasses.size()]),
                                             .processId = static_cast<std::uint32_t>(100 + i)});
    if (i % 10 == 0) chosen.push_back(window);
  }
  hiding.Choose(chosen);
  hiding.ToggleChosenWindows();
  for (auto _ : state) watch.Tick();
  if (!watch.Running()) state.SkipWithError("the watch stopped");
  state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_LookWhileHidden)->RangeMultiplier(10)->Range(20, 2000)->Unit(benchmark::kMicrosecond)->Complexity();
BENCHMARK(BM_HideThenShow)
    ->RangeMultiplier(10)
    ->Range(100, 10000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();
BENCHMARK(BM_Refresh)
    ->RangeMultiplier(10)
    ->Range(100, 10000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();

}  // namespace
}  // namespace blindfold
