#include "windows/window_list.h"

#include <unordered_set>

namespace blindfold {

std::string OpenWindowRowText(std::string_view title, std::string_view className) {
  std::string row;
  row.reserve(title.size() + className.size() + 10);
  row.append(title).append("\t").append(className).append("  (class)");
  return row;
}

void EnumOpenWindowsProc(WindowManager& windows, PanelModel& panel, WindowHandle window) {
  const WindowState state = windows.State(window);
  if (state.parent || !(state.visible && state.enabled)) return;
  // Visible to the API but never on screen: nothing the user could want hidden.
  if (windows.CloakedByItsApp(window)) return;

  const std::string className = windows.ClassName(window, kClassNameBufferChars);
  const int titleLength = windows.WindowTextLength(window);
  const std::string title = titleLength > 0 ? windows.WindowText(window, titleLength + 1) : className;

  if (state.role == WindowRole::Desktop) {
    panel.chkProgramManager.tag = std::to_string(window.Value());
  } else if (title == kOwnPanelTitle) {
    // The panel itself, or any window that shares its title.
  } else if (state.role == WindowRole::Taskbar) {
    panel.chkTaskbar.tag = std::to_string(window.Value());
  } else {
    panel.openWindows.AddItem(OpenWindowRowText(title, className), window);
  }
}

void RebuildOpenWindowsList(WindowManager& windows, PanelModel& panel) {
  panel.openWindows.Clear();
  windows.EnumWindows([&](WindowHandle window) {
    EnumOpenWindowsProc(windows, panel, window);
    return true;
  });
  if (panel.openWindows.ListCount() > 0) panel.openWindows.SetCurrentRow(0);
}

void MarkRowsOfWindows(ListBox& list, std::span<const WindowHandle> handles) {
  if (handles.empty()) return;
  const std::unordered_set<WindowHandle> wanted(handles.begin(), handles.end());
  for (std::size_t i = 0; i < list.ListCount(); ++i) {
    if (wanted.contains(list.Row(i).itemData)) list.Row(i).marked = true;
  }
}

void SelectAllWindows(PanelModel& panel) {
  for (std::size_t i = 0; i < panel.openWindows.ListCount(); ++i) panel.openWindows.Row(i).marked = true;
}

void ClearAllWindows(PanelModel& panel) {
  for (std::size_t i = 0; i < panel.openWindows.ListCount(); ++i) panel.openWindows.Row(i).marked = false;
}

}  // namespace blindfold
