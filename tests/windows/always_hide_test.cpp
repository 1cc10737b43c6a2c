#include "windows/always_hide.h"

#include <gtest/gtest.h>

namespace blindfold {
namespace {

ListBox ListOf(std::initializer_list<const char*> texts) {
  ListBox list;
  for (const char* text : texts) list.AddItem(text);
  return list;
}

std::vector<bool> Marks(const ListBox& list) {
  std::vector<bool> marks;
  for (const ListRow& row : list.Rows()) marks.push_back(row.marked);
  return marks;
}

const char* const kMail = "Inbox - Mail\tMailWnd  (class)";
const char* const kMailDraft = "Draft - Mail\tMailWnd  (class)";
const char* const kEditor = "notes.txt\tEditWnd  (class)";

TEST(AlwaysHideWholeText, MarksOnlyRowsWithTheSameFullText) {
  const ListBox entries = ListOf({kMail});
  ListBox rows = ListOf({kMail, kMailDraft, kEditor, kMail});
  rows.Row(2).marked = true;
  MarkAlwaysHideByWholeText(entries, rows);
  EXPECT_EQ(Marks(rows), (std::vector<bool>{true, false, true, true}));
}

TEST(AlwaysHideFields, UnselectedEntriesMatchByClassPart) {
  const ListBox entries = ListOf({kMail});
  ListBox rows = ListOf({kMailDraft, kEditor});
  MarkAlwaysHideByFields(entries, std::nullopt, rows);
  EXPECT_EQ(Marks(rows), (std::vector<bool>{true, false}));
}

TEST(AlwaysHideFields, SelectedEntryMatchesByTitleOnly) {
  const ListBox entries = ListOf({kMail, kEditor});
  ListBox rows = ListOf({kMailDraft, "Inbox - Mail\tOtherWnd  (class)", "x\tEditWnd  (class)"});
  MarkAlwaysHideByFields(entries, 0, rows);
  EXPECT_EQ(Marks(rows), (std::vector<bool>{false, true, true}));
}

TEST(AlwaysHideFields, EntryWithoutTabNeverMatchesByClass) {
  const ListBox entries = ListOf({"Hello", "Inbox - Mail"});
  ListBox rows = ListOf({"Hello\tA  (class)", "Hello", kMail});
  MarkAlwaysHideByFields(entries, std::nullopt, rows);
  EXPECT_EQ(Marks(rows), (std::vector<bool>{false, false, false}));

  MarkAlwaysHideByFields(entries, 0, rows);  // selected: the whole title "Hello"
  EXPECT_EQ(Marks(rows), (std::vector<bool>{true, true, false}));
}

TEST(AlwaysHideFields, TabInTitleComparesTitlePieces) {
  const ListBox entries = ListOf({"a\tb\tC  (class)"});
  ListBox rows = ListOf({"z\tb\tD  (class)", "b\tC  (class)"});
  MarkAlwaysHideByFields(entries, std::nullopt, rows);
  EXPECT_EQ(Marks(rows), (std::vector<bool>{true, false}));
}

TEST(AlwaysHideFields, DuplicateEntriesKeepTheirOwnRule) {
  const ListBox entries = ListOf({kMail, kMail});
  ListBox rows = ListOf({kMailDraft});
  MarkAlwaysHideByFields(entries, 0, rows);  // the second copy still matches by class
  EXPECT_EQ(Marks(rows), std::vector<bool>{true});
}

TEST(AlwaysHideList, DoubleClickAddsTheCurrentRowOnce) {
  PanelModel panel;
  List1_DblClick(panel);  // no current row
  EXPECT_EQ(panel.alwaysHide.ListCount(), 0u);
  panel.openWindows.AddItem(kMail, WindowHandle(10));
  panel.openWindows.SetCurrentRow(0);
  List1_DblClick(panel);
  List1_DblClick(panel);
  ASSERT_EQ(panel.alwaysHide.ListCount(), 1u);
  EXPECT_EQ(panel.alwaysHide.Row(0).text, kMail);
}

TEST(AlwaysHideList, DoubleClickRemovesTheCurrentEntry) {
  PanelModel panel;
  panel.alwaysHide = ListOf({kMail, kEditor});
  List2_DblClick(panel);
  EXPECT_EQ(panel.alwaysHide.ListCount(), 2u);
  panel.alwaysHide.SetCurrentRow(1);
  List2_DblClick(panel);
  ASSERT_EQ(panel.alwaysHide.ListCount(), 1u);
  EXPECT_EQ(panel.alwaysHide.Row(0).text, kMail);
  EXPECT_FALSE(panel.alwaysHide.CurrentRow());
}

}  // namespace
}  // namespace blindfold
