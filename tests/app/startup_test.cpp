#include "app/startup.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_message_boxes.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_single_instance.h"
#include "settings/hotkey_text.h"

namespace blindfold {
namespace {

struct DescriptionCase {
  const char* hotkeyText;
  const char* description;
};

class KeyDescriptionTest : public testing::TestWithParam<DescriptionCase> {};

TEST_P(KeyDescriptionTest, JoinsThePiecesExactlyAsTheyHaveAlwaysBeen) {
  EXPECT_EQ(KeyDescription(SplitHotkeyText(GetParam().hotkeyText)), GetParam().description);
}

// Every combination of the four flags, and short texts.
INSTANTIATE_TEST_SUITE_P(
    Flags, KeyDescriptionTest,
    testing::Values(DescriptionCase{"1,0,0,0,X", "WIN key + X"}, DescriptionCase{"0,1,0,0,X", "CTRL key + X"},
                    DescriptionCase{"0,0,1,0,X", "ALT key + X"}, DescriptionCase{"0,0,0,1,X", "SHFT key + X"},
                    DescriptionCase{"0,1,1,0,H", "CTRL key  + ALT key+ H"},
                    DescriptionCase{"1,1,0,0,K", "WIN key  + CTRL key+ K"},
                    DescriptionCase{"1,0,1,1,K", "WIN key  + ALT key + SHFT key+ K"},
                    DescriptionCase{"1,1,1,1,K", "WIN key  + CTRL key + ALT key + SHFT key+ K"},
                    DescriptionCase{"0,0,0,0,Q", "+ Q"}, DescriptionCase{"1,0,0,0,", "WIN key + "},
                    DescriptionCase{"1,0", "WIN key + "}, DescriptionCase{"", "+ "},
                    DescriptionCase{"2,1,0,0,X", "CTRL key + X"}));

class StartupTest : public testing::Test {
 protected:
  StartupRoad Start() {
    SettingsStore store(registry);
    return Startup(instance, store, boxes);
  }
  const std::string kKey = "HKLM\\Software\\Blindfold\\ShortcutKeys\\";
  FakeSingleInstance instance;
  FakeRegistry registry;
  FakeMessageBoxes boxes;
};

TEST_F(StartupTest, SecondInstanceWarnsWithTheExactMessageAndNoStopsIt) {
  instance.anotherIsRunning = true;
  registry.Set(kKey + "PrevInstWarning", "1");
  registry.Set(kKey + "BlindfoldShortcutKey", "1,0,0,0,X");
  boxes.answer = MessageBoxAnswer::No;

  EXPECT_EQ(Start(), StartupRoad::SecondInstance);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].prompt,
            "Blindfold is already running in hidden mode!\r\n"
            "Use the Blindfold function keys to activate Blindfold.\r\n"
            "Close this message then press the Blindfold hotkey WIN key + X\r\n\r\n"
            "Do you want to display this message in the future?");
  EXPECT_EQ(boxes.shown[0].title, "Blindfold is already running in hidden mode!");
  EXPECT_EQ(boxes.shown[0].style, MessageBoxStyle::WarningYesNo);
  EXPECT_EQ(registry.Get(kKey + "PrevInstWarning"), "0");

  EXPECT_EQ(Start(), StartupRoad::SecondInstance);
  EXPECT_EQ(boxes.shown.size(), 1u);  // no warning any more
}

TEST_F(StartupTest, YesKeepsTheWarningAndWritesNothing) {
  instance.anotherIsRunning = true;
  registry.Set(kKey + "PrevInstWarning", "1");
  boxes.answer = MessageBoxAnswer::Yes;
  EXPECT_EQ(Start(), StartupRoad::SecondInstance);
  EXPECT_EQ(registry.Get(kKey + "PrevInstWarning"), "1");
  EXPECT_EQ(registry.ValueCount(), 1u);
  EXPECT_EQ(registry.writeCount, 0);
}

TEST_F(StartupTest, SecondInstanceWithoutTheWarningTouchesNothing) {
  instance.anotherIsRunning = true;
  for (const char* stored : {"", "0", "yes", " 1"}) {
    registry.Set(kKey + "PrevInstWarning", stored);
    EXPECT_EQ(Start(), StartupRoad::SecondInstance);
  }
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(registry.writeCount, 0);
}

TEST_F(StartupTest, StartHiddenOnlyForTheNumberOne) {
  EXPECT_EQ(Start(), StartupRoad::ShowPanel);  // missing
  for (const auto& [stored, road] : {std::pair{"1", StartupRoad::StartHidden}, std::pair{" 1", StartupRoad::StartHidden},
                                     std::pair{"0", StartupRoad::ShowPanel}, std::pair{"2", StartupRoad::ShowPanel},
                                     std::pair{"hidden", StartupRoad::ShowPanel}}) {
    registry.Set(kKey + "StartHidden", stored);
    EXPECT_EQ(Start(), road) << stored;
  }
}

}  // namespace
}  // namespace blindfold
