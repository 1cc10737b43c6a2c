#include "windows/always_hide.h"

#include <string_view>
#include <unordered_set>

namespace blindfold {
namespace {

std::string_view TitleField(std::string_view text) { return text.substr(0, text.find('\t')); }

std::optional<std::string_view> ClassField(std::string_view text) {
  const std::size_t firstTab = text.find('\t');
  if (firstTab == std::string_view::npos) return std::nullopt;
  const std::string_view rest = text.substr(firstTab + 1);
  return rest.substr(0, rest.find('\t'));
}

}  // namespace

// Both rules only ever set marks, so matching every row against a set of the
// entries' keys gives the same marks as comparing every pair, in linear time.

void MarkAlwaysHideByWholeText(const ListBox& alwaysHide, ListBox& openWindows) {
  if (alwaysHide.ListCount() == 0) return;
  std::unordered_set<std::string_view> entries;
  for (const ListRow& entry : alwaysHide.Rows()) entries.insert(entry.text);
  for (std::size_t i = 0; i < openWindows.ListCount(); ++i) {
    if (entries.contains(openWindows.Row(i).text)) openWindows.Row(i).marked = true;
  }
}

void MarkAlwaysHideByFields(const ListBox& alwaysHide, std::optional<std::size_t> selectedEntry,
                            ListBox& openWindows) {
  if (alwaysHide.ListCount() == 0) return;
  std::unordered_set<std::string_view> classes;
  std::optional<std::string_view> selectedTitle;
  for (std::size_t j = 0; j < alwaysHide.ListCount(); ++j) {
    const std::string_view entry = alwaysHide.Row(j).text;
    if (selectedEntry == j) {
      selectedTitle = TitleField(entry);
    } else if (const auto classPart = ClassField(entry)) {
      classes.insert(*classPart);
    }
  }
  for (std::size_t i = 0; i < openWindows.ListCount(); ++i) {
    ListRow& row = openWindows.Row(i);
    const auto classPart = ClassField(row.text);
    if ((selectedTitle && TitleField(row.text) == *selectedTitle) ||
        (classPart && classes.contains(*classPart))) {
      row.marked = true;
    }
  }
}

void List1_DblClick(PanelModel& panel) {
  const auto current = panel.openWindows.CurrentRow();
  if (!current) return;
  const std::string& text = panel.openWindows.Row(*current).text;
  for (const ListRow& entry : panel.alwaysHide.Rows()) {
    if (entry.text == text) return;
  }
  panel.alwaysHide.AddItem(text);
}

void List2_DblClick(PanelModel& panel) {
  const auto current = panel.alwaysHide.CurrentRow();
  if (!current) return;
  panel.alwaysHide.RemoveItem(*current);
  panel.alwaysHide.SetCurrentRow(std::nullopt);
}

}  // namespace blindfold
