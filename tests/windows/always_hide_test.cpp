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

// A program entry: an empty title, the path where a class goes, with what
// would break the list's form written as %XX.
TEST(AlwaysHidePrograms, EntryTextNamesThePathAndReadsBack) {
  EXPECT_EQ(ProgramEntryText("/usr/bin/player"), "\t/usr/bin/player  (program)");
  const std::string awkward = "C:\\Apps, old\\100%\tnew\nplayer.exe";
  const std::string entry = ProgramEntryText(awkward);
  EXPECT_EQ(entry, "\tC:\\Apps%2C old\\100%25%09new%0Aplayer.exe  (program)");
  EXPECT_EQ(ProgramOfEntry(entry), awkward);
  // Bytes that are not UTF-8 are written out too; UTF-8 stays as it is.
  const std::string bytes = "/opt/Caf\xe9/\xc3\xa9t\xe9\xc3";
  EXPECT_EQ(ProgramEntryText(bytes), "\t/opt/Caf%E9/\xc3\xa9t%E9%C3  (program)");
  EXPECT_EQ(ProgramOfEntry(ProgramEntryText(bytes)), bytes);
  for (const char* notProgram : {kMail, "\t  (program)", "x\t/bin/a  (program)", "\t/bin/a\tb  (program)",
                                 "\t/bin/%2  (program)", "\t/bin/%zz  (program)", "/bin/a  (program)"}) {
    EXPECT_FALSE(ProgramOfEntry(notProgram)) << notProgram;
  }
}

TEST(AlwaysHidePrograms, BothRulesMarkTheWindowsOfANamedProgramWhateverTheirClass) {
  ListBox entries = ListOf({kEditor});
  entries.AddItem(ProgramEntryText("/opt/player"));
  ListBox rows;
  rows.AddItem(kMail, WindowHandle(1));        // the player's
  rows.AddItem(kMailDraft, WindowHandle(2));   // the same class, another program
  rows.AddItem("x\tEditWnd  (class)", WindowHandle(3));
  const ProgramOfWindow programOf = [](WindowHandle window) {
    return window == WindowHandle(1) ? std::string("/opt/player") : std::string("/opt/mail");
  };
  ListBox byFields = rows;
  MarkAlwaysHideByFields(entries, std::nullopt, byFields, programOf);
  EXPECT_EQ(Marks(byFields), (std::vector<bool>{true, false, true}));
  byFields = rows;
  MarkAlwaysHideByFields(entries, 1, byFields, programOf);  // selected, it still names its program
  EXPECT_EQ(Marks(byFields), (std::vector<bool>{true, false, true}));
  MarkAlwaysHideByWholeText(entries, rows, programOf);
  EXPECT_EQ(Marks(rows), (std::vector<bool>{true, false, false}));
}

// What a reader that knows no program entries does with one: it keeps the row
// and matches nothing with it, selected or not, by whole text or by class.
TEST(AlwaysHidePrograms, AReaderThatKnowsNoProgramsMatchesNothingWithTheEntry) {
  const std::string entry = ProgramEntryText("/opt/player");
  ListBox entries;
  entries.AddItem(entry);
  ListBox rows = ListOf({kMail, "\t/opt/player  (class)", "  (program)\tx  (class)", "Player\tplayer  (class)"});
  MarkAlwaysHideByWholeText(entries, rows);
  MarkAlwaysHideByFields(entries, std::nullopt, rows);
  EXPECT_EQ(Marks(rows), (std::vector<bool>(4, false)));
  // No open window's row has its class part: a row's always ends "  (class)".
  EXPECT_TRUE(entry.ends_with("  (program)"));
  EXPECT_EQ(entry.find(','), std::string::npos);
}

TEST(AlwaysHidePrograms, TheCurrentWindowsProgramIsAddedOnce) {
  PanelModel panel;
  const ProgramOfWindow programOf = [](WindowHandle window) {
    return window == WindowHandle(10) ? std::string("/opt/player") : std::string();
  };
  EXPECT_FALSE(AddProgramOfCurrentWindow(panel, programOf));  // no current row
  panel.openWindows.AddItem(kMail, WindowHandle(10));
  panel.openWindows.AddItem(kEditor, WindowHandle(11));
  panel.openWindows.SetCurrentRow(0);
  EXPECT_TRUE(AddProgramOfCurrentWindow(panel, programOf));
  EXPECT_TRUE(AddProgramOfCurrentWindow(panel, programOf));
  ASSERT_EQ(panel.alwaysHide.ListCount(), 1u);
  EXPECT_EQ(panel.alwaysHide.Row(0).text, ProgramEntryText("/opt/player"));
  panel.openWindows.SetCurrentRow(1);
  EXPECT_FALSE(AddProgramOfCurrentWindow(panel, programOf));  // its program cannot be told
  EXPECT_EQ(panel.alwaysHide.ListCount(), 1u);
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
