#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "panel/panel_model.h"
#include "platform/window_manager.h"

namespace blindfold {

// The program a window runs (its executable's path), or an empty text when it
// cannot be told. Matching asks it only when the list holds a program entry.
using ProgramOfWindow = std::function<std::string(WindowHandle)>;
// Each window's program as the window manager tells it.
inline ProgramOfWindow ProgramsThrough(WindowManager& windows) {
  return [&windows](WindowHandle window) { return windows.ProgramPath(window); };
}

// An always-hide entry that names a program rather than a window: an empty
// title, then the executable's path where a window's class goes, marked
// "  (program)" where a window's row says "  (class)". Stored as any entry is,
// so a reader that knows only windows' entries keeps it, shows it and matches
// nothing with it: no open window's row has that class part or that whole text.
// The path's commas, percent signs, tabs and control characters are written
// as %XX, so the entry is one piece of the stored list and one row of the list.
std::string ProgramEntryText(std::string_view programPath);
// The path a program entry names; nothing for a window's entry.
std::optional<std::string> ProgramOfEntry(std::string_view entry);

// Whole-text rule (panel load and apply): marks every open-windows row whose
// text equals an always-hide entry, and every row whose window runs a program
// the list names.
void MarkAlwaysHideByWholeText(const ListBox& alwaysHide, ListBox& openWindows,
                               const ProgramOfWindow& programOf = {});

// Field-wise rule (the toggle's hide): the selected entry marks rows with the
// same title (the text before the first tab); every other entry marks rows with
// the same class part (the text between the first and second tab). A text with
// no tab has no class part and never matches by class. A program entry,
// selected or not, marks the rows whose window runs that program.
void MarkAlwaysHideByFields(const ListBox& alwaysHide, std::optional<std::size_t> selectedEntry,
                            ListBox& openWindows, const ProgramOfWindow& programOf = {});

// Double-click on an open-windows row: adds its text, unless already listed.
void List1_DblClick(PanelModel& panel);
// Double-click on an always-hide entry: removes it.
void List2_DblClick(PanelModel& panel);
// The open-windows list's current row's program goes in the always-hide list,
// unless already listed. False when there is no current row or its program
// cannot be told.
bool AddProgramOfCurrentWindow(PanelModel& panel, const ProgramOfWindow& programOf);

}  // namespace blindfold
