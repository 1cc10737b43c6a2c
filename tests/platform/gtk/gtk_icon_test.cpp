#include "platform/gtk/gtk_icon.h"

#include <gtest/gtest.h>

#include <gdkmm/wrap_init.h>
#include <glibmm/fileutils.h>
#include <glibmm/init.h>

#include <array>
#include <fstream>
#include <string>

namespace blindfold::gtk {
namespace {

// The red of the band across the middle of the shipped icon, as ImageMagick
// reads every picture of assets/bf.ico.
constexpr std::array<int, 3> kBandRed = {217, 67, 47};

std::array<int, 3> MiddlePixel(const Glib::RefPtr<Gdk::Pixbuf>& picture) {
  const guint8* pixels = picture->get_pixels();
  const int middle = picture->get_width() / 2;
  const guint8* pixel = pixels + middle * picture->get_rowstride() + middle * picture->get_n_channels();
  return {pixel[0], pixel[1], pixel[2]};
}

// GdkPixbuf's objects as gdkmm's, without the display Gtk::Main would open.
class IconFileTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    Glib::init();
    Gdk::wrap_init();
  }
};

std::string ShippedIcon() { return Glib::file_get_contents(BLINDFOLD_SHIPPED_ICON); }

TEST_F(IconFileTest, ReadsEveryPictureOfTheShippedIcon) {
  const auto entries = IconEntries(ShippedIcon());
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries.front().width, 16);
  EXPECT_EQ(entries.back().width, 256);  // stored as 0
  EXPECT_EQ(entries.back().bitCount, 32);
}

// The largest picture is PNG-compressed: GdkPixbuf's own icon loader turns it
// into noise. Each size comes from its own picture, bitmaps and PNG alike.
TEST_F(IconFileTest, DrawsTheShippedIconAtEverySize) {
  for (const int size : {16, 22, 24, 32, 48, 64, 256}) {
    const auto picture = LoadIconPicture(BLINDFOLD_SHIPPED_ICON, size);
    ASSERT_TRUE(picture) << size;
    EXPECT_EQ(picture->get_width(), size);
    EXPECT_EQ(MiddlePixel(picture), kBandRed) << size;
  }
}

TEST_F(IconFileTest, PicksTheSmallestPictureLargeEnoughThenTheDeepest) {
  const std::vector<IconEntry> entries = {
      {16, 16, 32, 0, 1}, {32, 32, 8, 0, 1}, {32, 32, 32, 0, 1}, {48, 48, 32, 0, 1}, {256, 256, 32, 0, 1}};
  const struct {
    int size;
    std::size_t best;
  } cases[] = {{8, 0}, {16, 0}, {17, 2}, {32, 2}, {40, 3}, {64, 4}, {256, 4}, {512, 4}};
  for (const auto& [size, best] : cases) EXPECT_EQ(BestIconEntry(entries, size), best) << size;
  EXPECT_FALSE(BestIconEntry({}, 16));
}

TEST_F(IconFileTest, RefusesWhatIsNoIconFile) {
  const std::string shipped = ShippedIcon();
  EXPECT_TRUE(IconEntries("").empty());
  EXPECT_TRUE(IconEntries(std::string("\0\0\2\0\1\0", 6)).empty());  // a cursor file
  // A directory that names pictures beyond the end of the file.
  EXPECT_TRUE(IconEntries(shipped.substr(0, shipped.size() / 2)).empty());
  const std::string path = testing::TempDir() + "/broken.ico";
  std::ofstream(path, std::ios::binary) << shipped.substr(0, 200);
  EXPECT_FALSE(LoadIconPicture(path, 32));
  EXPECT_FALSE(LoadIconPicture(testing::TempDir() + "/missing.ico", 32));
}

TEST_F(IconFileTest, ReadsOtherPicturesThroughGdkPixbuf) {
  const auto picture = LoadIconPicture(BLINDFOLD_SHIPPED_PICTURE, 22);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->get_width(), 22);
  EXPECT_EQ(MiddlePixel(picture), kBandRed);
}

}  // namespace
}  // namespace blindfold::gtk
