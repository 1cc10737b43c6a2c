#include "windows/window_toggle.h"

#include <algorithm>
#include <unordered_set>

#include "core/log.h"
#include "windows/always_hide.h"
#include "windows/window_list.h"

#include "settings/value_text.h"
#include "core/texts.h"

namespace blindfold {
namespace {

// The taskbar's and the desktop's handles, kept as decimal text in the Tags of
// their check boxes.
WindowHandle KeptHandle(const CheckBox& box) { return WindowHandle(ParseInt32(box.tag).value_or(0)); }

bool IsKeptHandle(const PanelModel& panel, WindowHandle window) {
  return window == KeptHandle(panel.chkTaskbar) || window == KeptHandle(panel.chkProgramManager);
}

// A box the desktop cannot honour is greyed, and the status line says why,
// rather than leave the box offered and silent. Where the desktop could have a
// taskbar but no panel window of its own stands for it (a window manager that
// draws its bar itself), a ticked "Hide Taskbar" is told of the same way.
void NoteWhatCannotBeHidden(PanelModel& panel, WindowManager& windows) {
  const DesktopParts parts = windows.HideableParts();
  panel.chkTaskbar.enabled = parts.taskbar;
  panel.chkProgramManager.enabled = parts.desktopIcons;
  if (!parts.taskbar || !parts.desktopIcons) {
    panel.lblHideStatus.caption = texts::NotOnThisDesktop(!parts.taskbar, !parts.desktopIcons);
    panel.lblHideStatus.visible = true;
    return;
  }
  if (!panel.chkTaskbar.IsSet() || !panel.chkTaskbar.tag.empty()) return;
  if (panel.lblHideStatus.caption != texts::kNoTaskbarToHide) {
    log::Info("hide", "Hide Taskbar is set, but no panel window stands for the taskbar: nothing to hide");
  }
  panel.lblHideStatus.caption = std::string(texts::kNoTaskbarToHide);
  panel.lblHideStatus.visible = true;
}

}  // namespace

WindowHiding::WindowHiding(PanelModel& panel, WindowManager& windows, WindowWatch& watch, ToggleHost& host)
    : panel_(panel),
      windows_(windows),
      host_(host),
      watch_(windows, watch, panel.alwaysHide,
             {[this](WindowHandle window) { JoinHidden(window); },
              [this](WindowHandle window) { LeaveToItsProgram(window); }, [this] { return ShownElsewhere(); }}) {}

void WindowHiding::ToggleChosenWindows() {
  if (bWindowsHidden_) {
    ShowBranch();
  } else {
    HideBranch();
  }
}

// The windows go first. Before them comes only what keeps the promise that
// nothing is lost: the durable record. What waits on another program, the
// audio device or the window system's activation follows the hides, in the
// same burst, so that it never stands between the key and the windows going.
void WindowHiding::HideBranch() {
  const WindowHandle active = StartHide(true);

  const std::vector<WindowHandle> previous = strHiddenWindows_.Handles();
  RebuildOpenWindowsList(windows_, panel_);
  panel_.frmWindowList.caption = texts::WindowListAfterHide(panel_.openWindows.ListCount());
  MarkRowsOfWindows(panel_.openWindows, previous);
  MarkAlwaysHideByFields(panel_.alwaysHide, panel_.alwaysHide.CurrentRow(), panel_.openWindows,
                         ProgramsThrough(windows_));
  NoteWhatCannotBeHidden(panel_, windows_);

  strHiddenWindows_.Clear();
  const bool hideTaskbar = panel_.chkTaskbar.IsSet() && !panel_.chkTaskbar.tag.empty();
  const bool hideDesktop = panel_.chkProgramManager.IsSet() && !panel_.chkProgramManager.tag.empty();
  const std::vector<WindowHandle> unlisted = UnlistedRecordedWindows(previous);
  std::vector<WindowHandle> toHide;
  if (hideTaskbar) toHide.push_back(KeptHandle(panel_.chkTaskbar));
  if (hideDesktop) toHide.push_back(KeptHandle(panel_.chkProgramManager));
  for (const ListRow& row : panel_.openWindows.Rows()) {
    if (row.marked) toHide.push_back(row.itemData);
  }
  toHide.insert(toHide.end(), unlisted.begin(), unlisted.end());
  if (durable_) durable_->Clear();
  Record(toHide);

  if (hideTaskbar) HideKept(panel_.chkTaskbar);
  if (hideDesktop) {
    host_.FlashPanel();
    HideKept(panel_.chkProgramManager);
  }
  for (const ListRow& row : panel_.openWindows.Rows()) {
    if (row.marked) strHiddenWindows_.Add(row.itemData);
  }
  for (const WindowHandle window : unlisted) strHiddenWindows_.Add(window);
  std::vector<WindowHandle> pass = MarkedRowsBottomUp();
  pass.insert(pass.end(), unlisted.begin(), unlisted.end());
  HideAllOrNote(pass);
  FinishHide(toHide, active, "windows hotkey");
}

WindowHandle WindowHiding::StartHide(bool closeLoginDialog) {
  // A panic on top of a hide keeps the window the user worked in before it.
  if (!bWindowsHidden_) activeAtHide_ = windows_.ForegroundWindow();
  if (closeLoginDialog) host_.CloseLoginDialog();
  host_.HidePanel();
  // Hiding the panel may have handed the activation to a window about to hide.
  return windows_.ForegroundWindow();
}

void WindowHiding::FinishHide(const std::vector<WindowHandle>& toHide, WindowHandle active, const char* what) {
  MoveActivationOff(toHide, active);
  host_.MuteSound();
  log::Info("hide", toHide.size(), " windows hidden by the ", what);
  LeaveOutRefused();
  bWindowsHidden_ = true;
  KeepHidden();
}

void WindowHiding::HideKept(const CheckBox& box) {
  if (const auto handle = ParseInt32(box.tag)) strHiddenWindows_.Add(WindowHandle(*handle));
  HideOrNote(KeptHandle(box));
}

void WindowHiding::Choose(const std::vector<WindowHandle>& windows) {
  strHiddenWindows_.Clear();
  for (const WindowHandle window : windows) strHiddenWindows_.Add(window);
}

void WindowHiding::TakeOverHidden(const std::vector<WindowHandle>& windows) {
  strHiddenWindows_.Clear();
  for (const WindowHandle window : windows) strHiddenWindows_.Add(window);
  bWindowsHidden_ = true;
}

std::vector<WindowHandle> WindowHiding::UnlistedRecordedWindows(const std::vector<WindowHandle>& record) const {
  std::unordered_set<WindowHandle> listed;
  for (const ListRow& row : panel_.openWindows.Rows()) listed.insert(row.itemData);
  std::vector<WindowHandle> unlisted;
  for (const WindowHandle window : record) {
    // The taskbar and the desktop follow their boxes, not the record.
    if (!window || IsKeptHandle(panel_, window) || !listed.insert(window).second) continue;
    if (windows_.ProcessId(window) != 0) unlisted.push_back(window);
  }
  return unlisted;
}

// Made durable before any window changes, with whether showing them needs the
// password.
void WindowHiding::Record(const std::vector<WindowHandle>& windows) {
  if (!durable_) return;
  durable_->Add(windows);
  durable_->SetGuarded(panel_.chkShowWindows.IsSet());
}

// The shell gives the activation back to the last window that had it (after
// the session is unlocked, for one), which would bring a hidden window back.
// So a window being hidden, or a pop-up it owns, hands the activation to the
// top listed window that stays, is not minimised (an activation would restore
// it) and is on the desktop the user looks at (an activation would bring it
// over, or take the user away), or else to the desktop. With neither, the
// activation stays where it is. It moves in the same burst as the hides, right after them, from
// the window that was active before them: a hide may already have taken the
// activation from it.
void WindowHiding::MoveActivationOff(const std::vector<WindowHandle>& toHide, WindowHandle active) {
  const auto hiding = [&](WindowHandle window) {
    return std::find(toHide.begin(), toHide.end(), window) != toHide.end();
  };
  bool goingHidden = false;
  for (int depth = 0; active && depth < 16 && !goingHidden; ++depth) {
    goingHidden = hiding(active);
    active = windows_.State(active).parent;
  }
  if (!goingHidden) return;
  for (const ListRow& row : panel_.openWindows.Rows()) {
    const WindowHandle window = row.itemData;
    if (hiding(window) || windows_.IsMinimised(window) || !windows_.OnCurrentDesktop(window)) continue;
    if (windows_.Activate(window)) return;
  }
  if (!panel_.chkProgramManager.tag.empty() && !hiding(KeptHandle(panel_.chkProgramManager))) {
    windows_.Activate(KeptHandle(panel_.chkProgramManager));
  }
}

void WindowHiding::KeepHidden() {
  durableAtHide_ = durable_ && !durable_->Empty();
  watch_.Begin(strHiddenWindows_.Handles(), windows_.ProcessId(host_.PanelHandle()));
}

// The rescue command shows the recorded windows and empties the record, maybe
// while this Blindfold still runs: fighting it would hide them again at once.
bool WindowHiding::ShownElsewhere() {
  if (!durableAtHide_ || !durable_->Empty()) return false;
  durableAtHide_ = false;
  bWindowsHidden_ = false;
  host_.RestoreSound();
  return true;
}

void WindowHiding::JoinHidden(WindowHandle window) {
  if (durable_) durable_->Add({window});
  strHiddenWindows_.Add(window);
}

void WindowHiding::LeaveToItsProgram(WindowHandle window) {
  Forget(window);
  Report(texts::NotKeptHidden(NameOf(window)));
}

// A window left out is not the program's to show later: a show would bring it
// to the front the user may have put elsewhere by then.
void WindowHiding::Forget(WindowHandle window) {
  if (durable_) {
    durable_->Remove(window);
    // Emptied by us, not by the rescue command.
    durableAtHide_ = durableAtHide_ && !durable_->Empty();
  }
  strHiddenWindows_.Remove(window);
}

void WindowHiding::Report(const std::string& line) {
  panel_.lblHideStatus.caption = line;
  panel_.lblHideStatus.visible = true;
  host_.ReportNotHidden(line);
}

std::string WindowHiding::NameOf(WindowHandle window) {
  const int titleLength = windows_.WindowTextLength(window);
  return titleLength > 0 ? windows_.WindowText(window, titleLength + 1)
                         : windows_.ClassName(window, kClassNameBufferChars);
}

void WindowHiding::HideOrNote(WindowHandle window) {
  if (!HideOneWindow(window)) refused_.push_back(window);
}

// The windows of a hide are told in one pass, so that a desktop that takes
// many commands in one message, or reads its windows once for all of them,
// does so; each is judged as HideOrNote judges it.
void WindowHiding::HideAllOrNote(const std::vector<WindowHandle>& windows) {
  std::vector<WindowHandle> told;
  for (const WindowHandle window : windows) {
    if (window) told.push_back(window);
  }
  const std::vector<bool> hidden = windows_.ShowWindowsAsync(told, kShowCmdHide);
  for (std::size_t i = 0; i < told.size(); ++i) {
    const bool done = i < hidden.size() && hidden[i];
    if (!done && windows_.ProcessId(told[i]) != 0) refused_.push_back(told[i]);
  }
}

// A program running with higher rights refuses; the others are hidden all the
// same, and the user learns in one line which windows are still on screen.
void WindowHiding::LeaveOutRefused() {
  if (refused_.empty()) return;
  std::string names;
  for (const WindowHandle window : refused_) {
    Forget(window);
    names += (names.empty() ? "" : ", ") + NameOf(window);
  }
  log::Warning("hide", refused_.size(), " windows refused to hide (their programs run with higher rights)");
  refused_.clear();
  Report(texts::NotHidden(names));
}

// The rows are in stacking order, top first, and the top one is often the
// active window. Hiding the active window activates the next one down, so
// hiding top first would pass the activation along every window being hidden,
// one cross-process round of messages each. Hiding from the bottom up leaves
// one activation at the end; the windows end up hidden all the same.
std::vector<WindowHandle> WindowHiding::MarkedRowsBottomUp() const {
  std::vector<WindowHandle> marked;
  const auto& rows = panel_.openWindows.Rows();
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    if (row->marked) marked.push_back(row->itemData);
  }
  return marked;
}

// In the same order as the windows hotkey's hide: the record, the windows,
// then what waits on others. Panic adds to what is already hidden.
void WindowHiding::PanicHide() {
  const WindowHandle active = StartHide(false);
  const std::vector<WindowHandle> previous = strHiddenWindows_.Handles();
  RefreshWindowList();
  const std::vector<WindowHandle> unlisted = UnlistedRecordedWindows(previous);
  std::vector<WindowHandle> toHide;
  for (const ListRow& row : panel_.openWindows.Rows()) toHide.push_back(row.itemData);
  for (const CheckBox* box : {&panel_.chkProgramManager, &panel_.chkTaskbar}) {
    if (box->IsSet() && !box->tag.empty()) toHide.push_back(KeptHandle(*box));
  }
  toHide.insert(toHide.end(), unlisted.begin(), unlisted.end());
  Record(toHide);
  for (std::size_t i = 0; i < panel_.openWindows.ListCount(); ++i) {
    ListRow& row = panel_.openWindows.Row(i);
    row.marked = true;
    strHiddenWindows_.Add(row.itemData);
  }
  // The unlisted are already among the hidden windows, which panic only adds
  // to.
  std::vector<WindowHandle> pass = MarkedRowsBottomUp();
  pass.insert(pass.end(), unlisted.begin(), unlisted.end());
  HideAllOrNote(pass);
  // The desktop before the taskbar, both after the windows, and no flash.
  for (const CheckBox* box : {&panel_.chkProgramManager, &panel_.chkTaskbar}) {
    if (box->IsSet() && !box->tag.empty()) HideKept(*box);
  }
  FinishHide(toHide, active, "panic hotkey");
}

// The sound comes back after the windows: the audio device may take a while
// to answer, the first time above all.
void WindowHiding::ShowBranch() {
  if (panel_.chkShowWindows.IsSet() && !host_.AskPassword()) {
    log::Info("show", "the password was not given: the windows stay hidden");
    return;
  }
  ShowHiddenWindows();
  host_.RestoreSound();
}

// The record lists the taskbar and the desktop, then the windows top first.
// The taskbar and the desktop come back first, as before. Each window shown
// without activation goes on top of those shown before it, so showing the rest
// from the bottom up stacks them exactly as they were, with no activation
// passed from one program to the next; one activation at the end gives the
// user back the window they were working in, or else the top one.
void WindowHiding::ShowHiddenWindows() {
  watch_.End();
  const std::vector<WindowHandle> record = strHiddenWindows_.Handles();
  std::vector<WindowHandle> stacked;
  for (const WindowHandle window : record) {
    if (IsKeptHandle(panel_, window)) {
      ShowOneWindow(window);
    } else if (window) {
      stacked.push_back(window);
    }
  }
  windows_.ShowWindowsAsync({stacked.rbegin(), stacked.rend()}, kShowCmdShowNoActivate);
  // The shows are still on their way, so the user's window counts as there
  // when it was hidden with the others; its activation queues behind its show.
  if (bWindowsHidden_ && !stacked.empty()) {
    const bool stillThere =
        activeAtHide_ && (std::find(stacked.begin(), stacked.end(), activeAtHide_) != stacked.end() ||
                          windows_.IsWindowVisible(activeAtHide_));
    windows_.Activate(stillThere ? activeAtHide_ : stacked.front());
  }
  log::Info("show", "showed ", record.size(), " windows");
  activeAtHide_ = WindowHandle();
  bWindowsHidden_ = false;
  // Windows the window manager could not be asked about may still be hidden:
  // the record keeps them for the rescue and the next start.
  if (const std::optional<std::string> why = windows_.Unreachable()) {
    log::Warning("show", "the record is kept: ", *why);
  } else if (durable_) {
    durable_->Clear();
  }
}

void WindowHiding::RefreshWindowList() {
  const std::vector<WindowHandle> record = strHiddenWindows_.Handles();
  RebuildOpenWindowsList(windows_, panel_);
  panel_.frmWindowList.caption = texts::WindowListAfterRefresh(panel_.openWindows.ListCount());
  MarkRowsOfWindows(panel_.openWindows, record);
  NoteWhatCannotBeHidden(panel_, windows_);
}

void WindowHiding::FillOpenWindowsList() {
  RebuildOpenWindowsList(windows_, panel_);
  panel_.frmWindowList.caption = texts::WindowListAfterLoad(panel_.openWindows.ListCount());
  NoteWhatCannotBeHidden(panel_, windows_);
}

bool WindowHiding::HideOneWindow(WindowHandle window) { return SetShowCmd(window, kShowCmdHide); }

void WindowHiding::ShowOneWindow(WindowHandle window) { SetShowCmd(window, kShowCmdShow); }

// Each window is told and left to it: waiting for one program after another
// would make the hide as slow as all of them together, and a program that has
// stopped answering would freeze Blindfold with the rest still showing. A
// window that has gone is skipped; one that is there but refused is told apart
// by asking after it only then.
bool WindowHiding::SetShowCmd(WindowHandle window, std::int32_t showCmd) {
  if (!window) return true;
  return windows_.ShowWindowAsync(window, showCmd) || windows_.ProcessId(window) == 0;
}

}  // namespace blindfold
