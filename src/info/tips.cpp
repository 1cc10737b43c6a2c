#include "info/tips.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

#include "settings/settings_store.h"
#include "settings/value_text.h"

namespace blindfold {
namespace {

// What Windows-1252 puts at 0x80..0x9F. The five bytes it leaves undefined map
// to the control character of the same number, as the platform's own
// conversion does.
constexpr std::array<char16_t, 32> kWindows1252HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& text, char16_t codePoint) {
  const auto unit = [](unsigned value) { return static_cast<char>(value); };
  const unsigned c = codePoint;
  if (c < 0x80) {
    text += unit(c);
  } else if (c < 0x800) {
    text += unit(0xC0 | (c >> 6));
    text += unit(0x80 | (c & 0x3F));
  } else {
    text += unit(0xE0 | (c >> 12));
    text += unit(0x80 | ((c >> 6) & 0x3F));
    text += unit(0x80 | (c & 0x3F));
  }
}

// The acknowledgments file is plain ANSI text, and the logic keeps every text
// in UTF-8. It is decoded as Windows-1252 (Latin-1 plus the printable
// characters at 0x80..0x9F) whatever code page the system uses: the file ships
// with the program, written in that code page, and this way it reads the same
// on every system and the logic needs nothing from the platform to read it.
std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (const char byte : bytes) {
    const auto value = static_cast<unsigned char>(byte);
    if (value >= 0x80 && value <= 0x9F) {
      AppendUtf8(text, kWindows1252HighControls[value - 0x80u]);
    } else {
      AppendUtf8(text, value);
    }
  }
  return text;
}

// The file's lines as the platform's line-by-line text input reads them: a
// line ends at a carriage return, and a line feed right after it belongs to
// that line break; a line feed anywhere else is part of the text. A last line
// without a break still counts, and an empty text has no lines.
std::vector<std::string> SplitIntoLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\r', start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

// 1-based index floor(r * count) + 1 for 0 <= r < 1. The product is taken in
// double precision, and the result is still held to the last entry, so that a
// random number just below 1 can never point one past the end.
std::int32_t RandomIndex(float r, std::size_t count) {
  const auto entries = static_cast<std::int32_t>(
      std::min<std::size_t>(count, static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())));
  const double scaled = std::floor(static_cast<double>(r) * entries);
  if (!(scaled >= 0)) return 1;  // also a NaN
  if (scaled >= entries) return std::max(entries, 1);
  return static_cast<std::int32_t>(scaled) + 1;
}

}  // namespace

std::string ShowTipsAtStartupPath(std::string_view executableBaseName) {
  return "HKCU\\Software\\Blindfold\\" + std::string(executableBaseName) +
         "\\Options\\Show Tips at Startup";
}

std::string MissingTipsFileMessage(std::string_view fileName) {
  return texts::MissingTipsFile(fileName);
}

void AcknowledgmentsDialog::Load() {
  dialog = TipsDialogModel{};
  if (!ShowTipsAtStartup()) {
    dialog.unloaded = true;
    return;
  }
  SetLoadTipsAtStartup(1);
  platform_.random.SeedFromClock();
  if (!LoadTips(platform_.files.ShippedFile(kTipsFileName))) {
    dialog.lblTipText.caption = MissingTipsFileMessage(kTipsFileName);
  }
}

// Every reading replaces the entries: an unchanged file offers the same
// choice at every opening instead of a growing list of repeated lines.
bool AcknowledgmentsDialog::LoadTips(const std::string& sFile) {
  TipLines.clear();
  if (sFile.empty() || !platform_.files.FileExists(sFile)) return false;
  const std::optional<std::string> bytes = platform_.files.ReadFile(sFile);
  if (!bytes) return false;
  TipLines = SplitIntoLines(Windows1252ToUtf8(*bytes));
  PickRandomTip();
  return true;
}

void AcknowledgmentsDialog::PickRandomTip() {
  CurrentTipIndex = RandomIndex(platform_.random.Next(), TipLines.size());
  DisplayCurrentTip();
}

void AcknowledgmentsDialog::DisplayCurrentTip() {
  if (TipLines.empty() || CurrentTipIndex < 1) return;
  const auto index = static_cast<std::size_t>(CurrentTipIndex) - 1;
  if (index < TipLines.size()) dialog.lblTipText.caption = TipLines[index];
}

void AcknowledgmentsDialog::chkLoadTipsAtStartup_Click() {
  SettingsStore store(platform_.registry);
  // A setting that cannot be stored is simply not stored; nothing is reported.
  store.RegWrite(ShowTipsAtStartupPath(platform_.files.ExecutableBaseName()),
                 std::to_string(dialog.chkLoadTipsAtStartup.value));
}

void AcknowledgmentsDialog::SetLoadTipsAtStartup(int value) {
  if (dialog.chkLoadTipsAtStartup.value == value) return;
  dialog.chkLoadTipsAtStartup.value = value;
  chkLoadTipsAtStartup_Click();
}

// Missing means 1, and so does a text that is not a number: only 0 keeps the
// dialog closed.
bool AcknowledgmentsDialog::ShowTipsAtStartup() {
  SettingsStore store(platform_.registry);
  const auto stored = store.RegRead(ShowTipsAtStartupPath(platform_.files.ExecutableBaseName()));
  const std::optional<long long> number = stored ? ParseWholeNumber(*stored) : std::nullopt;
  return number.value_or(1) != 0;
}

}  // namespace blindfold
