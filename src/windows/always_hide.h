#pragma once

#include <optional>

#include "panel/panel_model.h"

namespace blindfold {

// Whole-text rule (panel load and apply): marks every open-windows row whose
// text equals an always-hide entry.
void MarkAlwaysHideByWholeText(const ListBox& alwaysHide, ListBox& openWindows);

// Field-wise rule (the toggle's hide): the selected entry marks rows with the
// same title (the text before the first tab); every other entry marks rows with
// the same class part (the text between the first and second tab). A text with
// no tab has no class part and never matches by class.
void MarkAlwaysHideByFields(const ListBox& alwaysHide, std::optional<std::size_t> selectedEntry,
                            ListBox& openWindows);

// Double-click on an open-windows row: adds its text, unless already listed.
void List1_DblClick(PanelModel& panel);
// Double-click on an always-hide entry: removes it.
void List2_DblClick(PanelModel& panel);

}  // namespace blindfold
