#include "windows/window_toggle.h"

#include "windows/always_hide.h"
#include "windows/hidden_record.h"
#include "windows/window_list.h"

#include "settings/value_text.h"

namespace blindfold {
namespace {

// The taskbar's and the desktop's handles, kept as decimal text in the Tags of
// their check boxes.
WindowHandle KeptHandle(const CheckBox& box) { return ParseInt32(box.tag).value_or(0); }

}  // namespace

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
  panel_.frmWindowList.caption =
      "Open window list. (Found " + std::to_string(panel_.List1.ListCount()) + " windows.)";
  MarkRowsOfWindows(panel_.List1, previousRecord);
  MarkAlwaysHideByFields(panel_.List2, panel_.List2.CurrentRow(), panel_.List1);

  strHiddenWindows.clear();
  if (panel_.chkTaskbar.IsSet() && !panel_.chkTaskbar.tag.empty()) {
    AppendHiddenWindow(strHiddenWindows, panel_.chkTaskbar.tag);
    HideOneWindow(KeptHandle(panel_.chkTaskbar));
  }
  if (panel_.chkProgramManager.IsSet() && !panel_.chkProgramManager.tag.empty()) {
    host_.FlashPanel();
    AppendHiddenWindow(strHiddenWindows, panel_.chkProgramManager.tag);
    HideOneWindow(KeptHandle(panel_.chkProgramManager));
  }
  for (const ListRow& row : panel_.List1.Rows()) {
    if (!row.marked) continue;
    HideOneWindow(row.itemData);
    AppendHiddenWindow(strHiddenWindows, row.itemData);
  }
  bWindowsHidden = true;
}

void WindowHiding::PanicHide() {
  host_.MuteSound();
  host_.HidePanel();
  cmdRefresh_Click();
  for (std::size_t i = 0; i < panel_.List1.ListCount(); ++i) {
    ListRow& row = panel_.List1.Row(i);
    row.marked = true;
    HideOneWindow(row.itemData);
    AppendHiddenWindow(strHiddenWindows, row.itemData);
  }
  // The desktop before the taskbar, both after the windows, and no flash.
  for (const CheckBox* box : {&panel_.chkProgramManager, &panel_.chkTaskbar}) {
    if (!box->IsSet() || box->tag.empty()) continue;
    HideOneWindow(KeptHandle(*box));
    AppendHiddenWindow(strHiddenWindows, box->tag);
  }
  bWindowsHidden = true;
}

void WindowHiding::ShowBranch() {
  if (panel_.chkShowWindows.IsSet() && !host_.AskPassword()) return;
  host_.RestoreSound();
  ShowHiddenWindows();
}

void WindowHiding::ShowHiddenWindows() {
  for (const WindowHandle window : ParseHiddenWindows(strHiddenWindows)) ShowOneWindow(window);
  bWindowsHidden = false;
}

void WindowHiding::cmdRefresh_Click() {
  const auto record = ParseHiddenWindows(strHiddenWindows);
  RebuildOpenWindowsList(windows_, panel_);
  panel_.frmWindowList.caption = "Open windows list - (" + std::to_string(panel_.List1.ListCount()) +
                                 " windows found). Double click to add a windows to the 'Always hide list.'";
  MarkRowsOfWindows(panel_.List1, record);
}

void WindowHiding::FillOpenWindowsList() {
  RebuildOpenWindowsList(windows_, panel_);
  panel_.frmWindowList.caption =
      "Open windows list (" + std::to_string(panel_.List1.ListCount()) + " windows found.)";
}

void WindowHiding::HideOneWindow(WindowHandle window) { SetShowCmd(window, kShowCmdHide); }

void WindowHiding::ShowOneWindow(WindowHandle window) { SetShowCmd(window, kShowCmdShow); }

void WindowHiding::SetShowCmd(WindowHandle window, std::int32_t showCmd) {
  if (window == 0) return;
  WindowPlacement placement;
  if (!windows_.GetWindowPlacement(window, placement)) return;
  placement.flags = 0;
  placement.showCmd = showCmd;
  placement.length = WindowPlacement::kLength;
  windows_.SetWindowPlacement(window, placement);
}

}  // namespace blindfold
