// The rules by which X11 windows and keys map onto what the logic knows from
// Windows; no X server needed.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "platform/x11/grab_rules.h"
#include "platform/x11/window_rules.h"
#include "platform/x11/x11_connection.h"

namespace blindfold::x11 {
namespace {

constexpr unsigned long kDock = 301;
constexpr unsigned long kDesktop = 302;
constexpr unsigned long kNormal = 303;
constexpr std::array<unsigned long, 2> kOthers = {kNormal, 304};

TEST(WindowRules, TheFirstKnownTypeDecidesTheRole) {
  struct Case {
    std::vector<unsigned long> types;
    WindowType role;
  };
  for (const Case& c : std::vector<Case>{{{}, WindowType::Normal},
                                         {{kNormal}, WindowType::Normal},
                                         {{kDock}, WindowType::Dock},
                                         {{999, kDesktop}, WindowType::Desktop},
                                         {{999, kNormal, kDock}, WindowType::Normal},
                                         {{kDesktop, kDock}, WindowType::Desktop},
                                         {{kNormal, kDock}, WindowType::Normal}}) {
    EXPECT_EQ(TypeFromTypes(c.types, kDock, kDesktop, kOthers), c.role) << c.types.size();
  }
}

TEST(WindowRules, TitleFallsBackFromNetWmNameToWmName) {
  EXPECT_EQ(TitleFromNames("Über", "Uber"), "Über");
  EXPECT_EQ(TitleFromNames(std::nullopt, "Uber"), "Uber");
  EXPECT_EQ(TitleFromNames("", "Uber"), "");  // an empty _NET_WM_NAME is still the title
  EXPECT_EQ(TitleFromNames(std::nullopt, std::nullopt), "");
  EXPECT_EQ(Latin1ToUtf8("caf\xe9 \xff"), "café ÿ");
}

TEST(WindowRules, ClassIsTheSecondPartOfWmClass) {
  using namespace std::string_view_literals;
  EXPECT_EQ(ClassFromWmClass("xterm\0XTerm\0"sv), "XTerm");
  EXPECT_EQ(ClassFromWmClass("navigator\0Firefox"sv), "Firefox");
  EXPECT_EQ(ClassFromWmClass("lonely"sv), "");
  EXPECT_EQ(ClassFromWmClass(""sv), "");
}

TEST(WindowRules, PlacementSurvivesItsRoundTripAndDamageIsRefused) {
  SavedPlacement placement;
  placement.hasDesktop = true;
  placement.desktop = 0xFFFFFFFF;
  placement.x = -20;
  placement.y = 1030;
  placement.width = 640;
  placement.height = 480;
  placement.minimised = true;
  placement.focused = true;
  placement.states = {11, 12};
  placement.group = {0x400001, 0x400002, 0x400003};
  placement.above = {0x600001, 0x800001};
  const auto items = EncodePlacement(placement);
  EXPECT_EQ(DecodePlacement(items), placement);

  auto truncated = items;
  truncated.pop_back();
  EXPECT_FALSE(DecodePlacement(truncated));
  auto otherVersion = items;
  otherVersion[0] = 3;
  EXPECT_FALSE(DecodePlacement(otherVersion));
  for (const std::size_t count : {7u, 8u, 9u}) {
    auto hugeCount = items;
    hugeCount[count] = ~0ul;
    EXPECT_FALSE(DecodePlacement(hugeCount)) << "count at " << count;
  }
  // More windows above than are ever kept: not written here.
  auto manyAbove = items;
  manyAbove[9] = kKeptWindowsAbove + 1;
  manyAbove.resize(manyAbove.size() + kKeptWindowsAbove + 1 - 2, 0x600001);
  EXPECT_FALSE(DecodePlacement(manyAbove));
  EXPECT_FALSE(DecodePlacement({}));
  EXPECT_FALSE(DecodePlacement(std::vector<unsigned long>{2}));
}

// A Blindfold that died before an update left records without the windows
// above; the next one still shows those windows where they were.
TEST(WindowRules, ARecordOfTheFirstVersionIsStillRead) {
  const std::vector<unsigned long> items = {1, 3, 1, 10, 20, 300, 200, 1, 1, 11, 0x400001};
  const auto placement = DecodePlacement(items);
  ASSERT_TRUE(placement);
  EXPECT_TRUE(placement->hasDesktop && placement->minimised);
  EXPECT_EQ(placement->desktop, 1u);
  EXPECT_EQ(placement->width, 300u);
  EXPECT_EQ(placement->states, std::vector<unsigned long>{11});
  EXPECT_EQ(placement->group, std::vector<unsigned long>{0x400001});
  EXPECT_TRUE(placement->above.empty());
}

TEST(WindowRules, TheWindowsAboveAreKeptUpToTheirLimit) {
  SavedPlacement placement;
  for (unsigned long window = 1; window <= kKeptWindowsAbove + 5; ++window) placement.above.push_back(window);
  const auto decoded = DecodePlacement(EncodePlacement(placement));
  ASSERT_TRUE(decoded);
  ASSERT_EQ(decoded->above.size(), kKeptWindowsAbove);
  EXPECT_EQ(decoded->above.front(), 1ul);  // the nearest are the ones kept
}

// The stack, top first, once a window manager has carried out the requests:
// one that puts a window where it is asked relative to its sibling, or one
// that only raises or lowers it (openbox).
std::vector<unsigned long> Restacked(std::vector<unsigned long> stack, const std::vector<StackRequest>& requests,
                                     bool honoursSibling) {
  for (const StackRequest& request : requests) {
    std::erase(stack, request.window);
    auto at = request.above ? stack.begin() : stack.end();
    if (honoursSibling && request.sibling != 0) {
      at = std::ranges::find(stack, request.sibling);
      if (!request.above && at != stack.end()) ++at;
    }
    stack.insert(at, request.window);
  }
  return stack;
}

// A program's owner, its second window and the owner's dialog, below another
// program's window that stays, and the big window below one that stays too:
// however the record lists them and wherever the window manager maps them,
// they come back as they were.
TEST(WindowRules, ShownWindowsGoBackExactlyWhereTheyWereWhateverTheOrder) {
  enum : unsigned long { kStays = 1, kDialog, kSecond, kOwner, kEyes, kBig };
  const std::vector<unsigned long> atHide = {kStays, kDialog, kSecond, kOwner, kEyes, kBig};
  std::vector<ShownWindow> shown = {{kDialog, {kStays}},
                                    {kSecond, {kDialog, kStays}},
                                    {kOwner, {kSecond, kDialog, kStays}},
                                    {kBig, {kEyes, kOwner, kSecond, kDialog, kStays}}};
  const std::vector<unsigned long> stayed = {kStays, kEyes};
  std::ranges::sort(shown, {}, &ShownWindow::window);
  do {
    const std::vector<StackRequest> requests = StackRequests(shown, stayed);
    // Mapped again, each went to the top, in the order of the record.
    std::vector<unsigned long> mapped = stayed;
    for (const ShownWindow& window : shown) mapped.insert(mapped.begin(), window.window);
    EXPECT_EQ(Restacked(mapped, requests, true), atHide);
    EXPECT_EQ(Restacked(mapped, requests, false), atHide);
  } while (std::ranges::next_permutation(shown, {}, &ShownWindow::window).found);
}

TEST(WindowRules, ShownWindowsWithNothingAboveGoToTheTopAndARingBreaksNothing) {
  // At the top when hidden, with the windows above gone since.
  const std::vector<StackRequest> atTop =
      StackRequests(std::vector<ShownWindow>{{1, {}}, {2, {1, 99}}}, std::vector<unsigned long>{7, 8});
  EXPECT_EQ(Restacked({7, 8}, atTop, false), (std::vector<unsigned long>{1, 2, 7, 8}));
  EXPECT_EQ(Restacked({7, 8}, atTop, true), (std::vector<unsigned long>{1, 2, 7, 8}));
  // Records rewritten to point at each other: both are placed, once each.
  const std::vector<StackRequest> ring =
      StackRequests(std::vector<ShownWindow>{{1, {2}}, {2, {1}}, {3, {3, 2}}}, std::vector<unsigned long>{7});
  std::vector<unsigned long> placed;
  for (const StackRequest& request : ring) placed.push_back(request.window);
  std::ranges::sort(placed);
  EXPECT_EQ(placed, (std::vector<unsigned long>{1, 2, 3}));
  EXPECT_EQ(Restacked({7}, ring, true).back(), 7ul);
  EXPECT_TRUE(StackRequests({}, std::vector<unsigned long>{7}).empty());
}

// Some window managers set WM_STATE Iconic on every window of another desktop:
// that is not minimised, and must not come back so.
TEST(WindowRules, MinimisedIsToldApartFromOnAnotherDesktop) {
  struct Case {
    ScreenStateFacts facts;
    bool minimised;
  };
  const Case cases[] = {
      {{.iconic = false}, false},
      {{.iconic = true, .hiddenState = true, .managerKeepsHidden = true, .onCurrentDesktop = true}, true},
      {{.iconic = true, .hiddenState = true, .managerKeepsHidden = true, .onCurrentDesktop = false}, true},
      {{.iconic = true, .hiddenState = false, .managerKeepsHidden = true, .onCurrentDesktop = false}, false},
      // Shaded, as openbox marks it: iconic without the hidden state.
      {{.iconic = true, .hiddenState = false, .managerKeepsHidden = true, .onCurrentDesktop = true}, false},
      // A window manager without the hidden state: WM_STATE is all there is.
      {{.iconic = true, .hiddenState = false, .managerKeepsHidden = false, .onCurrentDesktop = true}, true},
      {{.iconic = true, .hiddenState = false, .managerKeepsHidden = false, .onCurrentDesktop = false}, false},
      {{.iconic = false, .hiddenState = true, .managerKeepsHidden = true}, true},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(MinimisedFrom(cases[i].facts), cases[i].minimised) << "case " << i;
  }
}

TEST(WindowRules, Win95KeysIsReadAsIcewmReadsIt) {
  const std::pair<const char*, std::optional<bool>> cases[] = {
      {"", std::nullopt},
      {"# Win95Keys=0 # 0/1\n", std::nullopt},
      {"Win95Keys=0\n", false},
      {"Win95Keys = 1\n", true},
      {"  Win95Keys=\"0\"  # off\r\n", false},
      {"Win95Keys=1\nWin95Keys=0", false},
      {"ModSuperIsCtrlAlt=1\nWin95KeysExtra=0\n", std::nullopt},
      {"Win95Keys=maybe\n", std::nullopt},
  };
  for (const auto& [text, setting] : cases) EXPECT_EQ(Win95KeysSetting(text), setting) << text;
}

TEST(KeyRules, EveryLockCombinationIsGrabbedOnce) {
  const auto all = LockVariants(0x10, 0x02, 0x80);
  EXPECT_EQ(all.size(), 8u);
  EXPECT_EQ(all.front(), 0u);
  for (const unsigned int mask : {0x10u, 0x02u, 0x80u, 0x12u, 0x90u, 0x82u, 0x92u}) {
    EXPECT_NE(std::ranges::find(all, mask), all.end()) << mask;
  }
  // A keyboard without ScrollLock: no grab twice.
  const auto noScroll = LockVariants(0x10, 0x02, 0);
  EXPECT_EQ(noScroll, (std::vector<unsigned int>{0, 0x10, 0x02, 0x12}));
}

TEST(X11Connection, NoServerIsNoConnection) {
  // A session without X (pure Wayland, or none) must be told apart, not crash.
  EXPECT_EQ(X11Connection::Open("unix:9999"), nullptr);
}

}  // namespace
}  // namespace blindfold::x11
