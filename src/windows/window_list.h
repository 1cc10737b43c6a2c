#pragma once

#include <span>
#include <string>

#include "panel/panel_model.h"
#include "platform/window_manager.h"

namespace blindfold {

// The panel's own title: a window that bears it is never listed.
inline constexpr std::string_view kOwnPanelTitle = "Blindfold";

// The class name is read into a 64-character buffer, so at most 63 survive.
inline constexpr int kClassNameBufferChars = 64;

// The row text of a listed window: title, tab, class, "  (class)".
std::string OpenWindowRowText(std::string_view title, std::string_view className);

// Looks at one top-level window: lists it when it has no parent or owner and is
// visible and enabled, except the desktop and the taskbar, whose handles are kept
// in the Tags of their check boxes, and any window titled like the panel.
// (The last desktop or taskbar met wins.)
void EnumOpenWindowsProc(WindowManager& windows, PanelModel& panel, WindowHandle window);

// Clears the open-windows list and refills it from one enumeration pass; row 0
// becomes the current row.
void RebuildOpenWindowsList(WindowManager& windows, PanelModel& panel);

// Marks every row whose handle is one of `handles`.
void MarkRowsOfWindows(ListBox& list, std::span<const WindowHandle> handles);

// "[ Select All ]" and "[ Clear All ]".
void SelectAllWindows(PanelModel& panel);
void ClearAllWindows(PanelModel& panel);

}  // namespace blindfold
