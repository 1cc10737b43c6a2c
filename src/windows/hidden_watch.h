#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "panel/panel_model.h"
#include "platform/window_manager.h"
#include "platform/window_watch.h"

namespace blindfold {

// Keeps hidden what the user hid, for as long as it is hidden: a hidden window
// that its program shows again is hidden again, and so is a window that a
// hidden program opens, a window owned by a hidden window, and a window that
// matches the always-hide list. Other programs' windows are never touched.
class HiddenWindowWatch {
 public:
  struct Actions {
    // A window joins those hidden.
    std::function<void(WindowHandle)> hidden;
    // A window kept coming back and is left to its program.
    std::function<void(WindowHandle)> givenUp;
    // Whether the windows were shown by other means (the rescue command), so
    // that there is nothing left to keep hidden; asked before every look.
    std::function<bool()> shownElsewhere;
  };

  // How often everything is looked at, and how often a window may come back
  // within how many looks before it is given up on.
  static constexpr int kIntervalMs = 100;
  // Each hidden window costs a question to the window system per look; with
  // many hidden the looks come less often, so that the watch stays cheap.
  static constexpr int kMsPerHiddenWindow = 2;
  static constexpr std::size_t kMostReturns = 5;
  static constexpr std::uint64_t kReturnLooks = 30;
  // How many hidden windows not yet seen hidden are told again per look.
  static constexpr std::size_t kMostToldAgainPerLook = 8;
  // A new window is looked at this many times while it is not shown yet.
  static constexpr std::uint64_t kPendingLooks = 20;

  HiddenWindowWatch(WindowManager& windows, WindowWatch& watch, const ListBox& alwaysHide, Actions actions)
      : windows_(windows), watch_(watch), alwaysHide_(alwaysHide), actions_(std::move(actions)) {}

  // The windows in `hidden` were just told to hide: from now on they stay so.
  // Windows of theirs, and visible windows they own, are hidden with them.
  // Windows of `ownProgram` (this one) are never hidden.
  void Begin(const std::vector<WindowHandle>& hidden, std::uint32_t ownProgram);
  void End();
  bool Watching() const { return watching_; }

 private:
  void Look(std::optional<WindowHandle> shown);
  void LookAtAll();
  // A window met for the first time since the hide, or at the hide.
  void Meet(WindowHandle window, bool atHide = false);
  // Whether `window`, now shown, belongs with the hidden ones.
  bool BelongsHidden(WindowHandle window, const WindowState& state);
  void Hide(WindowHandle window);
  void HideAgain(WindowHandle window);

  WindowManager& windows_;
  WindowWatch& watch_;
  const ListBox& alwaysHide_;
  Actions actions_;
  bool watching_ = false;
  std::uint32_t ownProgram_ = 0;
  std::uint64_t looks_ = 0;
  std::unordered_set<WindowHandle> hidden_;
  std::unordered_set<std::uint32_t> hiddenPrograms_;
  // Hidden windows seen hidden since they were told to hide.
  std::unordered_set<WindowHandle> confirmed_;
  std::unordered_set<WindowHandle> met_;
  // Windows not shown yet that may still need hiding, and until which look.
  std::unordered_map<WindowHandle, std::uint64_t> pending_;
  // When each hidden window came back, in looks.
  std::unordered_map<WindowHandle, std::vector<std::uint64_t>> returns_;
};

}  // namespace blindfold
