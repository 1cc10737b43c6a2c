#include "windows/hidden_watch.h"

#include <algorithm>
#include <limits>

#include "core/log.h"
#include "windows/always_hide.h"
#include "windows/window_list.h"

namespace blindfold {

void HiddenWindowWatch::Begin(const std::vector<WindowHandle>& hidden, std::uint32_t ownProgram) {
  ownProgram_ = ownProgram;
  looks_ = 0;
  hidden_.clear();
  hiddenPrograms_.clear();
  confirmed_.clear();
  met_.clear();
  pending_.clear();
  returns_.clear();
  for (const WindowHandle window : hidden) {
    if (!window) continue;
    hidden_.insert(window);
    if (const std::uint32_t program = windows_.ProcessId(window)) hiddenPrograms_.insert(program);
  }
  // What is on screen now and not hidden stays as it is, but for what the
  // hidden windows own; what is not on screen yet is looked at when it shows.
  windows_.EnumWindows([this](WindowHandle window) {
    if (!hidden_.contains(window)) Meet(window, true);
    return true;
  });
  const int interval = std::max(kIntervalMs, static_cast<int>(hidden_.size()) * kMsPerHiddenWindow);
  if (watching_) watch_.Stop();
  watch_.Start(interval, [this](std::optional<WindowHandle> shown) { Look(shown); });
  watching_ = true;
}

void HiddenWindowWatch::End() {
  if (watching_) watch_.Stop();
  watching_ = false;
  hidden_.clear();
  met_.clear();
  pending_.clear();
}

void HiddenWindowWatch::Look(std::optional<WindowHandle> shown) {
  if (actions_.shownElsewhere && actions_.shownElsewhere()) return End();
  if (!shown) return LookAtAll();
  if (hidden_.contains(*shown)) {
    if (confirmed_.contains(*shown) && windows_.IsWindowVisible(*shown)) HideAgain(*shown);
  } else if (!met_.contains(*shown)) {
    Meet(*shown);
  } else if (pending_.contains(*shown) && windows_.IsWindowVisible(*shown)) {
    pending_.erase(*shown);
    if (BelongsHidden(*shown, windows_.State(*shown))) Hide(*shown);
  }
}

void HiddenWindowWatch::LookAtAll() {
  ++looks_;
  // A window seen hidden that shows again has come back. One not seen hidden
  // yet may have come back between two looks, every time (its program shows it
  // as soon as it is hidden), or its program may not have got round to hiding
  // it: a program that answers has, so the window came back; one that is not
  // answering hides it when it wakes, and that never counts against it. Only a
  // few of those are told again per look, so that a program busy hiding many
  // windows is not buried under requests.
  const std::vector<WindowHandle> hidden(hidden_.begin(), hidden_.end());
  std::size_t toldAgain = 0;
  for (const WindowHandle window : hidden) {
    if (!windows_.IsWindowVisible(window)) {
      confirmed_.insert(window);
    } else if (confirmed_.contains(window) || windows_.Answering(window)) {
      HideAgain(window);
    } else if (toldAgain++ < kMostToldAgainPerLook) {
      windows_.ShowWindowAsync(window, kShowCmdHide);
    }
  }
  windows_.EnumWindows([this](WindowHandle window) {
    if (!hidden_.contains(window) && !met_.contains(window)) Meet(window);
    return true;
  });
  for (auto it = pending_.begin(); it != pending_.end();) {
    const WindowHandle window = it->first;
    if (looks_ > it->second) {
      it = pending_.erase(it);
    } else if (windows_.IsWindowVisible(window)) {
      it = pending_.erase(it);
      if (BelongsHidden(window, windows_.State(window))) Hide(window);
    } else {
      ++it;
    }
  }
}

void HiddenWindowWatch::Meet(WindowHandle window, bool atHide) {
  met_.insert(window);
  const WindowState state = windows_.State(window);
  if (state.visible) {
    // What the user left on screen at the hide stays, but for what the hidden
    // windows own.
    if (atHide ? hidden_.contains(state.parent) : BelongsHidden(window, state)) Hide(window);
    return;
  }
  // A window that a hidden program or window keeps out of sight may come up
  // at any time (a new message, say); any other is looked at for a while, as
  // programs often make a window first and show it a moment later.
  const std::uint32_t program = windows_.ProcessId(window);
  if (program == ownProgram_) return;
  const bool ofInterest = hidden_.contains(state.parent) || hiddenPrograms_.contains(program);
  pending_[window] = ofInterest ? std::numeric_limits<std::uint64_t>::max() : looks_ + kPendingLooks;
}

bool HiddenWindowWatch::BelongsHidden(WindowHandle window, const WindowState& state) {
  const std::uint32_t program = windows_.ProcessId(window);
  if (program == 0 || program == ownProgram_) return false;
  if (hidden_.contains(state.parent) || hiddenPrograms_.contains(program)) return true;
  // A window the list would show, matched as the hide matches the list.
  if (state.parent || !state.enabled || alwaysHide_.ListCount() == 0) return false;
  const std::string className = windows_.ClassName(window, kClassNameBufferChars);
  const int titleLength = windows_.WindowTextLength(window);
  const std::string title = titleLength > 0 ? windows_.WindowText(window, titleLength + 1) : className;
  if (state.role != WindowRole::Normal || title == kOwnPanelTitle) return false;
  ListBox row;
  row.AddItem(OpenWindowRowText(title, className), window);
  MarkAlwaysHideByFields(alwaysHide_, alwaysHide_.CurrentRow(), row, ProgramsThrough(windows_));
  return row.Row(0).marked;
}

void HiddenWindowWatch::Hide(WindowHandle window) {
  log::Info("watch", "hiding window ", window.Value(), ", which belongs with the hidden ones");
  windows_.ShowWindowAsync(window, kShowCmdHide);
  hidden_.insert(window);
  actions_.hidden(window);
}

// A window that comes back again and again is not fought forever: after a few
// returns within a few seconds it is left to its program.
void HiddenWindowWatch::HideAgain(WindowHandle window) {
  std::vector<std::uint64_t>& returns = returns_[window];
  std::erase_if(returns, [this](std::uint64_t look) { return look + kReturnLooks < looks_; });
  returns.push_back(looks_);
  if (returns.size() > kMostReturns) {
    hidden_.erase(window);
    confirmed_.erase(window);
    returns_.erase(window);
    met_.insert(window);
    log::Warning("watch", "window ", window.Value(), " keeps coming back: left to its program");
    actions_.givenUp(window);
    return;
  }
  log::Info("watch", "window ", window.Value(), " came back: hidden again");
  windows_.ShowWindowAsync(window, kShowCmdHide);
}

}  // namespace blindfold
