#include "windows/always_hide.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace blindfold {
namespace {

constexpr std::string_view kProgramMark = "  (program)";

std::string_view TitleField(std::string_view text) { return text.substr(0, text.find('\t')); }

std::optional<std::string_view> ClassField(std::string_view text) {
  const std::size_t firstTab = text.find('\t');
  if (firstTab == std::string_view::npos) return std::nullopt;
  const std::string_view rest = text.substr(firstTab + 1);
  return rest.substr(0, rest.find('\t'));
}

bool Escaped(unsigned char c) { return c < 0x20 || c == 0x7F || c == ',' || c == '%'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The programs the list names, and whether a window runs one of them; each
// window's program is asked once.
class ProgramRule {
 public:
  ProgramRule(const ListBox& alwaysHide, const ProgramOfWindow& programOf) : programOf_(programOf) {
    if (!programOf_) return;
    for (const ListRow& entry : alwaysHide.Rows()) {
      if (auto program = ProgramOfEntry(entry.text)) programs_.insert(std::move(*program));
    }
  }
  bool Matches(WindowHandle window) {
    if (programs_.empty() || !window) return false;
    auto known = asked_.find(window);
    if (known == asked_.end()) known = asked_.emplace(window, programs_.contains(programOf_(window))).first;
    return known->second;
  }

 private:
  const ProgramOfWindow& programOf_;
  std::unordered_set<std::string> programs_;
  std::unordered_map<WindowHandle, bool> asked_;
};

}  // namespace

namespace {

// The length of the UTF-8 sequence at the start of `text`, or 0 where it is
// not one (a stray byte, a cut or over-long sequence, a surrogate).
std::size_t Utf8SequenceAt(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return 1;
  const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
  if (length == 0 || text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0;
  }
  const auto second = static_cast<unsigned char>(text[1]);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
      (lead == 0xF4 && second > 0x8F)) {
    return 0;
  }
  return length;
}

}  // namespace

// A path is bytes on Linux: what is not UTF-8 is written as %XX too, so that
// the entry is text every list and store takes.
std::string ProgramEntryText(std::string_view programPath) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string entry = "\t";
  while (!programPath.empty()) {
    const auto byte = static_cast<unsigned char>(programPath[0]);
    const std::size_t length = Utf8SequenceAt(programPath);
    if (length == 0 || Escaped(byte)) {
      entry.append({'%', kHex[byte >> 4], kHex[byte & 0xF]});
      programPath.remove_prefix(1);
    } else {
      entry.append(programPath.substr(0, length));
      programPath.remove_prefix(length);
    }
  }
  return entry.append(kProgramMark);
}

std::optional<std::string> ProgramOfEntry(std::string_view entry) {
  if (!entry.starts_with('\t') || !entry.ends_with(kProgramMark)) return std::nullopt;
  const std::string_view escaped = entry.substr(1, entry.size() - 1 - kProgramMark.size());
  if (escaped.empty() || escaped.find('\t') != std::string_view::npos) return std::nullopt;
  std::string path;
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != '%') {
      path += escaped[i];
      continue;
    }
    const int high = i + 2 < escaped.size() ? HexDigit(escaped[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(escaped[i + 2]) : -1;
    if (low < 0) return std::nullopt;
    path += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return path;
}

// Both rules only ever set marks, so matching every row against a set of the
// entries' keys gives the same marks as comparing every pair, in linear time.

void MarkAlwaysHideByWholeText(const ListBox& alwaysHide, ListBox& openWindows, const ProgramOfWindow& programOf) {
  if (alwaysHide.ListCount() == 0) return;
  std::unordered_set<std::string_view> entries;
  for (const ListRow& entry : alwaysHide.Rows()) entries.insert(entry.text);
  ProgramRule programs(alwaysHide, programOf);
  for (std::size_t i = 0; i < openWindows.ListCount(); ++i) {
    ListRow& row = openWindows.Row(i);
    if (entries.contains(row.text) || programs.Matches(row.itemData)) row.marked = true;
  }
}

void MarkAlwaysHideByFields(const ListBox& alwaysHide, std::optional<std::size_t> selectedEntry,
                            ListBox& openWindows, const ProgramOfWindow& programOf) {
  if (alwaysHide.ListCount() == 0) return;
  std::unordered_set<std::string_view> classes;
  std::optional<std::string_view> selectedTitle;
  for (std::size_t j = 0; j < alwaysHide.ListCount(); ++j) {
    const std::string_view entry = alwaysHide.Row(j).text;
    // A program entry matches by its program alone.
    if (ProgramOfEntry(entry)) continue;
    if (selectedEntry == j) {
      selectedTitle = TitleField(entry);
    } else if (const auto classPart = ClassField(entry)) {
      classes.insert(*classPart);
    }
  }
  ProgramRule programs(alwaysHide, programOf);
  for (std::size_t i = 0; i < openWindows.ListCount(); ++i) {
    ListRow& row = openWindows.Row(i);
    const auto classPart = ClassField(row.text);
    if ((selectedTitle && TitleField(row.text) == *selectedTitle) ||
        (classPart && classes.contains(*classPart)) || programs.Matches(row.itemData)) {
      row.marked = true;
    }
  }
}

namespace {

void AddEntryOnce(PanelModel& panel, const std::string& text) {
  for (const ListRow& entry : panel.alwaysHide.Rows()) {
    if (entry.text == text) return;
  }
  panel.alwaysHide.AddItem(text);
}

}  // namespace

void List1_DblClick(PanelModel& panel) {
  const auto current = panel.openWindows.CurrentRow();
  if (!current) return;
  AddEntryOnce(panel, panel.openWindows.Row(*current).text);
}

void List2_DblClick(PanelModel& panel) {
  const auto current = panel.alwaysHide.CurrentRow();
  if (!current) return;
  panel.alwaysHide.RemoveItem(*current);
  panel.alwaysHide.SetCurrentRow(std::nullopt);
}

bool AddProgramOfCurrentWindow(PanelModel& panel, const ProgramOfWindow& programOf) {
  const auto current = panel.openWindows.CurrentRow();
  if (!current || !programOf) return false;
  const std::string program = programOf(panel.openWindows.Row(*current).itemData);
  if (program.empty()) return false;
  AddEntryOnce(panel, ProgramEntryText(program));
  return true;
}

}  // namespace blindfold
