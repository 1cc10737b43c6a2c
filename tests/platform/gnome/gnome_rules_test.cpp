#include <gtest/gtest.h>

#include "platform/gnome/gnome_rules.h"

namespace blindfold::gnome {
namespace {

TEST(GnomeWindowList, ReadsTheExtensionsListAndSkipsWhatIsNoWindow) {
  const auto windows = ReadWindowList(
      "[{\"id\": \"12\", \"title\": \"Notes \xff\", \"wmClass\": \"gedit\", \"pid\": 40, \"minimized\": true, "
      "\"hidden\": true},"
      " {\"id\": \"13\", \"title\": \"Save?\", \"transientFor\": \"12\", \"active\": true, \"pid\": -3},"
      " {\"id\": \"14\", \"dock\": true, \"pid\": 1e12}, {\"title\": \"no id\"}, 5, {\"id\": 6}]");
  ASSERT_TRUE(windows);
  ASSERT_EQ(windows->size(), 3u);
  EXPECT_EQ((*windows)[0].handle, HandleOfId("12"));
  EXPECT_EQ((*windows)[0].title, "Notes \xef\xbf\xbd");
  EXPECT_EQ((*windows)[0].pid, 40u);
  EXPECT_TRUE((*windows)[0].minimized);
  EXPECT_TRUE((*windows)[0].hidden);
  EXPECT_EQ((*windows)[1].transientFor, HandleOfId("12"));
  EXPECT_TRUE((*windows)[1].active);
  EXPECT_EQ((*windows)[1].pid, 0u);
  EXPECT_TRUE((*windows)[2].dock);
  EXPECT_EQ((*windows)[2].pid, 0x7fffffffu);

  EXPECT_FALSE(ReadWindowList(""));
  EXPECT_FALSE(ReadWindowList("{}"));
  EXPECT_FALSE(ReadWindowList("[{\"id\": "));
}

TEST(GnomeAccelerator, NamesTheKeysAsTheShellReadsThem) {
  EXPECT_EQ(AcceleratorOf({.winKey = true, .altKey = true, .vkey = 'Z'}), "<Super><Alt>z");
  EXPECT_EQ(AcceleratorOf({.ctrlKey = true, .shiftKey = true, .vkey = 0x74}), "<Control><Shift>F5");
  EXPECT_FALSE(AcceleratorOf({.ctrlKey = true, .vkey = 0xff}));
}

}  // namespace
}  // namespace blindfold::gnome
