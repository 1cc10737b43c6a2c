#include "windows/window_toggle.h"

#include <unordered_set>

#include "windows/always_hide.h"
#include "windows/hidden_record.h"
#include "windows/window_list.h"

#include "settings/value_text.h"
#include "panel/texts.h"

namespace blindfold {
namespace {

// The taskbar's and the desktop's handles, kept as decimal text in the Tags of
// their check boxes.
WindowHandle KeptHandle(const CheckBox& box) { return WindowHandle(ParseInt32(box.tag).value_or(0)); }

bool IsKeptHandle(const PanelModel& panel, WindowHandle window) {
  return window == KeptHandle(panel.chkTaskbar) || window == KeptHandle(panel.chkProgramManager);
}

}  // namespace

WindowHiding::WindowHiding(PanelModel& panel, WindowManager& windows, WindowWatch& watch, ToggleHost& host)
    : panel_(panel),
      windows_(windows),
      host_(host),
      watch_(windows, watch, panel.List2,
             {[this](WindowHandle window) { JoinHidden(window); },
              [this](WindowHandle window) { LeaveToItsProgram(window); }}) {}

void WindowHiding::KeyTest() {
  if (bWindowsHidden) {
    ShowBranch();
  } else {
    HideBranch();
  }
}

void WindowHiding::HideBranch() {
  host_.CloseLoginDialog();
  host_.HidePanel();
  host_.MuteSound();

  const auto previousRecord = ParseHiddenWindows(strHiddenWindows);
  RebuildOpenWindowsList(windows_, panel_);
  panel_.frmWindowList.caption = texts::WindowListAfterHide(panel_.List1.ListCount());
  MarkRowsOfWindows(panel_.List1, previousRecord);
  MarkAlwaysHideByFields(panel_.List2, panel_.List2.CurrentRow(), panel_.List1);

  strHiddenWindows.clear();
  const bool hideTaskbar = panel_.chkTaskbar.IsSet() && !panel_.chkTaskbar.tag.empty();
  const bool hideDesktop = panel_.chkProgramManager.IsSet() && !panel_.chkProgramManager.tag.empty();
  const std::vector<WindowHandle> unlisted = UnlistedRecordedWindows(previousRecord);
  std::vector<WindowHandle> toHide;
  if (hideTaskbar) toHide.push_back(KeptHandle(panel_.chkTaskbar));
  if (hideDesktop) toHide.push_back(KeptHandle(panel_.chkProgramManager));
  for (const ListRow& row : panel_.List1.Rows()) {
    if (row.marked) toHide.push_back(row.itemData);
  }
  toHide.insert(toHide.end(), unlisted.begin(), unlisted.end());
  if (durable_) durable_->Clear();
  Record(toHide);

  if (hideTaskbar) {
    AppendHiddenWindow(strHiddenWindows, panel_.chkTaskbar.tag);
    HideOneWindow(KeptHandle(panel_.chkTaskbar));
  }
  if (hideDesktop) {
    host_.FlashPanel();
    AppendHiddenWindow(strHiddenWindows, panel_.chkProgramManager.tag);
    HideOneWindow(KeptHandle(panel_.chkProgramManager));
  }
  for (const ListRow& row : panel_.List1.Rows()) {
    if (row.marked) AppendHiddenWindow(strHiddenWindows, row.itemData);
  }
  HideMarkedRowsBottomUp();
  for (const WindowHandle window : unlisted) {
    AppendHiddenWindow(strHiddenWindows, window);
    HideOneWindow(window);
  }
  bWindowsHidden = true;
  KeepHidden();
}

std::vector<WindowHandle> WindowHiding::UnlistedRecordedWindows(const std::vector<WindowHandle>& record) const {
  std::unordered_set<WindowHandle> listed;
  for (const ListRow& row : panel_.List1.Rows()) listed.insert(row.itemData);
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

void WindowHiding::KeepHidden() {
  watch_.Begin(ParseHiddenWindows(strHiddenWindows), windows_.ProcessId(host_.PanelHandle()));
}

void WindowHiding::JoinHidden(WindowHandle window) {
  if (durable_) durable_->Add({window});
  AppendHiddenWindow(strHiddenWindows, window);
}

void WindowHiding::LeaveToItsProgram(WindowHandle window) {
  if (durable_) durable_->Remove(window);
  std::string kept;
  for (const WindowHandle recorded : ParseHiddenWindows(strHiddenWindows)) {
    if (recorded != window) AppendHiddenWindow(kept, recorded);
  }
  strHiddenWindows = std::move(kept);
  const int titleLength = windows_.WindowTextLength(window);
  panel_.lblHideStatus.caption =
      texts::NotKeptHidden(titleLength > 0 ? windows_.WindowText(window, titleLength + 1)
                                           : windows_.ClassName(window, kClassNameBufferChars));
  panel_.lblHideStatus.visible = true;
}

// The rows are in stacking order, top first, and the top one is often the
// active window. Hiding the active window activates the next one down, so
// hiding top first would pass the activation along every window being hidden,
// one cross-process round of messages each. Hiding from the bottom up leaves
// one activation at the end; the windows end up hidden all the same.
void WindowHiding::HideMarkedRowsBottomUp() {
  const auto& rows = panel_.List1.Rows();
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    if (row->marked) HideOneWindow(row->itemData);
  }
}

void WindowHiding::PanicHide() {
  host_.MuteSound();
  host_.HidePanel();
  const auto previousRecord = ParseHiddenWindows(strHiddenWindows);
  cmdRefresh_Click();
  const std::vector<WindowHandle> unlisted = UnlistedRecordedWindows(previousRecord);
  std::vector<WindowHandle> toHide;
  for (const ListRow& row : panel_.List1.Rows()) toHide.push_back(row.itemData);
  for (const CheckBox* box : {&panel_.chkProgramManager, &panel_.chkTaskbar}) {
    if (box->IsSet() && !box->tag.empty()) toHide.push_back(KeptHandle(*box));
  }
  toHide.insert(toHide.end(), unlisted.begin(), unlisted.end());
  Record(toHide);
  for (std::size_t i = 0; i < panel_.List1.ListCount(); ++i) {
    ListRow& row = panel_.List1.Row(i);
    row.marked = true;
    AppendHiddenWindow(strHiddenWindows, row.itemData);
  }
  HideMarkedRowsBottomUp();
  // Already in the record, which panic only appends to.
  for (const WindowHandle window : unlisted) HideOneWindow(window);
  // The desktop before the taskbar, both after the windows, and no flash.
  for (const CheckBox* box : {&panel_.chkProgramManager, &panel_.chkTaskbar}) {
    if (!box->IsSet() || box->tag.empty()) continue;
    HideOneWindow(KeptHandle(*box));
    AppendHiddenWindow(strHiddenWindows, box->tag);
  }
  bWindowsHidden = true;
  KeepHidden();
}

void WindowHiding::ShowBranch() {
  if (panel_.chkShowWindows.IsSet() && !host_.AskPassword()) return;
  host_.RestoreSound();
  ShowHiddenWindows();
}

void WindowHiding::ShowHiddenWindows() {
  watch_.End();
  for (const WindowHandle window : ParseHiddenWindows(strHiddenWindows)) ShowOneWindow(window);
  bWindowsHidden = false;
  if (durable_) durable_->Clear();
}

void WindowHiding::cmdRefresh_Click() {
  const auto record = ParseHiddenWindows(strHiddenWindows);
  RebuildOpenWindowsList(windows_, panel_);
  panel_.frmWindowList.caption = texts::WindowListAfterRefresh(panel_.List1.ListCount());
  MarkRowsOfWindows(panel_.List1, record);
}

void WindowHiding::FillOpenWindowsList() {
  RebuildOpenWindowsList(windows_, panel_);
  panel_.frmWindowList.caption = texts::WindowListAfterLoad(panel_.List1.ListCount());
}

void WindowHiding::HideOneWindow(WindowHandle window) { SetShowCmd(window, kShowCmdHide); }

void WindowHiding::ShowOneWindow(WindowHandle window) { SetShowCmd(window, kShowCmdShow); }

// Each window is told and left to it: waiting for one program after another
// would make the hide as slow as all of them together, and a program that has
// stopped answering would freeze Blindfold with the rest still showing. A
// window that has gone is skipped.
void WindowHiding::SetShowCmd(WindowHandle window, std::int32_t showCmd) {
  if (!window) return;
  windows_.ShowWindowAsync(window, showCmd);
}

}  // namespace blindfold
