#pragma once

#include <gdkmm/pixbuf.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace blindfold::gtk {

// One picture of a Windows icon file, as its directory describes it.
struct IconEntry {
  int width = 0;   // 256 where the file says 0
  int height = 0;
  int bitCount = 0;
  std::size_t offset = 0;
  std::size_t size = 0;
};

// The pictures an icon file holds; none when the bytes are no icon file or
// name pictures beyond their end.
std::vector<IconEntry> IconEntries(std::string_view file);

// The picture to draw at `size` pixels: the smallest at least that large (a
// picture scaled down stays sharp), else the largest; of those alike, the
// deepest.
std::optional<std::size_t> BestIconEntry(const std::vector<IconEntry>& entries, int size);

// The picture in `path` scaled to `size` pixels: a Windows icon file through
// its best picture, whether PNG-compressed or a bitmap, anything else through
// GdkPixbuf's loaders. Null when it cannot be read.
Glib::RefPtr<Gdk::Pixbuf> LoadIconPicture(const std::string& path, int size);

// The program's own icon at `size` pixels: the icon theme's "blindfold",
// or, where the theme has none (a build not installed), `fallback`.
Glib::RefPtr<Gdk::Pixbuf> ProgramIcon(const std::string& fallback, int size);

inline constexpr char kProgramIconName[] = "blindfold";

}  // namespace blindfold::gtk
