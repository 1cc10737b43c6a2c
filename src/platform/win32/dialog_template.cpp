#include "platform/win32/dialog_template.h"

#include <optional>

namespace blindfold::win32 {
namespace {

constexpr std::uint32_t kSetFont = 0x40;  // DS_SETFONT, also part of DS_SHELLFONT

// Reads the little-endian fields of a template, never past its end.
class TemplateReader {
 public:
  explicit TemplateReader(std::span<const std::uint8_t> data) : data_(data) {}

  bool Failed() const { return failed_; }

  std::uint16_t Word() {
    if (!Need(2)) return 0;
    const auto value = static_cast<std::uint16_t>(data_[at_] | data_[at_ + 1] << 8);
    at_ += 2;
    return value;
  }
  std::uint32_t Dword() {
    const std::uint32_t low = Word();
    return low | static_cast<std::uint32_t>(Word()) << 16;
  }
  void Skip(std::size_t bytes) {
    if (Need(bytes)) at_ += bytes;
  }
  void AlignToDword() { Skip((4 - at_ % 4) % 4); }
  std::wstring Text() {
    std::wstring text;
    for (std::uint16_t c = Word(); c != 0 && !failed_; c = Word()) text.push_back(static_cast<wchar_t>(c));
    return text;
  }
  // A name or an ordinal: nothing, 0xFFFF and a number, or a text.
  std::wstring NameOrOrdinal(std::optional<std::uint16_t>& ordinal) {
    ordinal.reset();
    if (!Need(2)) return {};
    const std::uint16_t first = static_cast<std::uint16_t>(data_[at_] | data_[at_ + 1] << 8);
    if (first == 0xFFFF) {
      Skip(2);
      ordinal = Word();
      return {};
    }
    return Text();
  }

 private:
  bool Need(std::size_t bytes) {
    if (failed_ || data_.size() - at_ < bytes) failed_ = true;
    return !failed_;
  }

  std::span<const std::uint8_t> data_;
  std::size_t at_ = 0;
  bool failed_ = false;
};

// The classes the dialog manager knows by number.
std::wstring PredefinedClass(std::uint16_t ordinal) {
  switch (ordinal) {
    case 0x80: return L"Button";
    case 0x81: return L"Edit";
    case 0x82: return L"Static";
    case 0x83: return L"ListBox";
    case 0x84: return L"ScrollBar";
    case 0x85: return L"ComboBox";
    default: return {};
  }
}

}  // namespace

std::vector<DialogTemplateControl> ReadDialogTemplate(std::span<const std::uint8_t> data) {
  TemplateReader reader(data);
  std::optional<std::uint16_t> ordinal;
  const std::uint16_t version = reader.Word();
  const std::uint16_t signature = reader.Word();
  if (version != 1 || signature != 0xFFFF) return {};
  reader.Skip(8);  // help id, extended style
  const std::uint32_t style = reader.Dword();
  const std::uint16_t count = reader.Word();
  reader.Skip(8);  // position and size
  reader.NameOrOrdinal(ordinal);  // menu
  reader.NameOrOrdinal(ordinal);  // class
  reader.Text();                  // caption
  if (style & kSetFont) {
    reader.Skip(6);  // point size, weight, italic, character set
    reader.Text();   // typeface
  }

  std::vector<DialogTemplateControl> controls;
  for (std::uint16_t i = 0; i < count; ++i) {
    reader.AlignToDword();
    DialogTemplateControl control;
    reader.Skip(4);  // help id
    control.exStyle = reader.Dword();
    control.style = reader.Dword();
    reader.Skip(8);  // position and size: the panel places its controls itself
    control.id = static_cast<int>(reader.Dword());
    control.className = reader.NameOrOrdinal(ordinal);
    if (ordinal) control.className = PredefinedClass(*ordinal);
    control.title = reader.NameOrOrdinal(ordinal);
    reader.Skip(reader.Word());  // creation data
    if (reader.Failed()) break;
    controls.push_back(std::move(control));
  }
  return controls;
}

}  // namespace blindfold::win32
