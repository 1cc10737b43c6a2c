#include "platform/gtk/gtk_icon.h"

#include <gdkmm/pixbufloader.h>
#include <glibmm/fileutils.h>
#include <gtkmm/icontheme.h>

#include <algorithm>
#include <cstring>

namespace blindfold::gtk {
namespace {

constexpr std::size_t kHeaderBytes = 6;
constexpr std::size_t kEntryBytes = 16;
constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

unsigned int Word(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned int>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

std::size_t DoubleWord(std::string_view bytes, std::size_t at) {
  return Word(bytes, at) | static_cast<std::size_t>(Word(bytes, at + 2)) << 16;
}

bool IsPng(std::string_view picture) {
  return picture.size() >= sizeof kPngSignature && std::memcmp(picture.data(), kPngSignature, sizeof kPngSignature) == 0;
}

Glib::RefPtr<Gdk::Pixbuf> Decode(const std::string& type, std::string_view bytes) {
  try {
    auto loader = Gdk::PixbufLoader::create(type);
    loader->write(reinterpret_cast<const guint8*>(bytes.data()), bytes.size());
    loader->close();
    return loader->get_pixbuf();
  } catch (const Glib::Error&) {
    return {};
  }
}

// A bitmap picture goes to GdkPixbuf's icon loader as an icon file of its own:
// the loader reads bitmaps well, but takes a PNG-compressed picture elsewhere
// in the same file for noise.
Glib::RefPtr<Gdk::Pixbuf> DecodeBitmapEntry(std::string_view file, std::size_t index, const IconEntry& entry) {
  std::string alone(file.substr(0, kHeaderBytes));
  alone[4] = 1;
  alone[5] = 0;
  std::string directory(file.substr(kHeaderBytes + index * kEntryBytes, kEntryBytes));
  const std::size_t offset = kHeaderBytes + kEntryBytes;
  for (std::size_t i = 0; i < 4; ++i) directory[12 + i] = static_cast<char>((offset >> (8 * i)) & 0xff);
  alone += directory;
  alone += file.substr(entry.offset, entry.size);
  return Decode("ico", alone);
}

Glib::RefPtr<Gdk::Pixbuf> Scaled(const Glib::RefPtr<Gdk::Pixbuf>& picture, int size) {
  if (!picture || (picture->get_width() == size && picture->get_height() == size)) return picture;
  return picture->scale_simple(size, size, Gdk::INTERP_BILINEAR);
}

Glib::RefPtr<Gdk::Pixbuf> LoadIconFile(std::string_view file, int size) {
  const std::vector<IconEntry> entries = IconEntries(file);
  const auto best = BestIconEntry(entries, size);
  if (!best) return {};
  const IconEntry& entry = entries[*best];
  const std::string_view picture = file.substr(entry.offset, entry.size);
  return Scaled(IsPng(picture) ? Decode("png", picture) : DecodeBitmapEntry(file, *best, entry), size);
}

}  // namespace

std::vector<IconEntry> IconEntries(std::string_view file) {
  if (file.size() < kHeaderBytes || Word(file, 0) != 0 || Word(file, 2) != 1) return {};
  const std::size_t count = Word(file, 4);
  if (file.size() < kHeaderBytes + count * kEntryBytes) return {};
  std::vector<IconEntry> entries;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = kHeaderBytes + i * kEntryBytes;
    IconEntry entry;
    entry.width = static_cast<unsigned char>(file[at]) == 0 ? 256 : static_cast<unsigned char>(file[at]);
    entry.height = static_cast<unsigned char>(file[at + 1]) == 0 ? 256 : static_cast<unsigned char>(file[at + 1]);
    entry.bitCount = static_cast<int>(Word(file, at + 6));
    entry.size = DoubleWord(file, at + 8);
    entry.offset = DoubleWord(file, at + 12);
    if (entry.size == 0 || entry.offset > file.size() || entry.size > file.size() - entry.offset) return {};
    entries.push_back(entry);
  }
  return entries;
}

std::optional<std::size_t> BestIconEntry(const std::vector<IconEntry>& entries, int size) {
  std::optional<std::size_t> best;
  // Better: large enough where the other is not, then the nearer size, then
  // the deeper colour.
  const auto better = [size](const IconEntry& a, const IconEntry& b) {
    const int sideA = std::max(a.width, a.height);
    const int sideB = std::max(b.width, b.height);
    if ((sideA >= size) != (sideB >= size)) return sideA >= size;
    if (sideA != sideB) return sideA >= size ? sideA < sideB : sideA > sideB;
    return a.bitCount > b.bitCount;
  };
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!best || better(entries[i], entries[*best])) best = i;
  }
  return best;
}

Glib::RefPtr<Gdk::Pixbuf> LoadIconPicture(const std::string& path, int size) {
  std::string bytes;
  try {
    bytes = Glib::file_get_contents(path);
  } catch (const Glib::Error&) {
    return {};
  }
  if (!IconEntries(bytes).empty()) return LoadIconFile(bytes, size);
  try {
    return Gdk::Pixbuf::create_from_file(path, size, size, true);
  } catch (const Glib::Error&) {
    return {};
  }
}

Glib::RefPtr<Gdk::Pixbuf> ProgramIcon(const std::string& fallback, int size) {
  const auto theme = Gtk::IconTheme::get_default();
  if (theme && theme->has_icon(kProgramIconName)) {
    try {
      if (auto icon = theme->load_icon(kProgramIconName, size, Gtk::ICON_LOOKUP_FORCE_SIZE)) return icon;
    } catch (const Glib::Error&) {
    }
  }
  return LoadIconPicture(fallback, size);
}

}  // namespace blindfold::gtk
