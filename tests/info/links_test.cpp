#include "info/links.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/version.h"
#include "platform/fake/fake_message_boxes.h"
#include "platform/fake/fake_shell.h"

namespace blindfold {
namespace {

class InfoTest : public testing::Test {
 protected:
  InfoPlatform Platform() { return InfoPlatform{shell, messageBoxes}; }

  FakeShell shell;
  FakeMessageBoxes messageBoxes;
};

TEST(WebHostTest, IsABareHostName) {
  EXPECT_FALSE(kWebHost.empty());
  EXPECT_EQ(kWebHost.find_first_of("/:?# "), std::string_view::npos);
}

struct AddressCase {
  const char* name;
  SiteLink link;
  std::string pathAndQuery;
  friend void PrintTo(const AddressCase& c, std::ostream* os) { *os << c.name; }
};

class LinkAddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(LinkAddressTest, IsTheSitePlusThePagePath) {
  EXPECT_EQ(LinkAddress(GetParam().link, VersionText(1, 3, 10)),
            "https://" + std::string(kWebHost) + GetParam().pathAndQuery);
}

INSTANTIATE_TEST_SUITE_P(
    Version1_3_10, LinkAddressTest,
    testing::Values(AddressCase{"Help", SiteLink::Help, "/BlindfoldHelpLanding.asp?version=1.3.10"},
                    AddressCase{"Updates", SiteLink::Updates, "/BlindfoldUpdates.asp?version=1.3.10"},
                    AddressCase{"Forum", SiteLink::Forum, "/phpBB33/phpBB2/index.php"},
                    AddressCase{"Home", SiteLink::Home, ""}),
    [](const testing::TestParamInfo<AddressCase>& test) { return std::string(test.param.name); });

struct LinkCase {
  const char* name;
  void (*operation)(const InfoPlatform&);
  SiteLink link;
  friend void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.name; }
};

class LinkOperationTest : public InfoTest, public testing::WithParamInterface<LinkCase> {};

TEST_P(LinkOperationTest, HandsItsAddressToTheBrowserQuietly) {
  GetParam().operation(Platform());
  EXPECT_EQ(shell.addressRequests, std::vector<std::string>{LinkAddress(GetParam().link, VersionText())});
  EXPECT_TRUE(messageBoxes.shown.empty());
  EXPECT_TRUE(shell.programRequests.empty());
}

TEST_P(LinkOperationTest, WarnsOnceWhenTheAddressCannotBeHandedOver) {
  shell.refuseAddresses = true;
  GetParam().operation(Platform());
  EXPECT_EQ(shell.addressRequests.size(), 1u);
  ASSERT_EQ(messageBoxes.shown.size(), 1u);
  EXPECT_EQ(messageBoxes.shown[0].prompt,
            "Error connecting to Blindfold web site.\r\n"
            "No Internet connection or a firewall/application blocked access.\r\n"
            "\r\n"
            "Blindfold only tries to connect to the Internet when you initiate a connection.");
  EXPECT_EQ(messageBoxes.shown[0].title, "Blindfold");
  EXPECT_EQ(messageBoxes.shown[0].style, MessageBoxStyle::WarningOk);
}

INSTANTIATE_TEST_SUITE_P(Links, LinkOperationTest,
                         testing::Values(LinkCase{"Help", &Help, SiteLink::Help},
                                         LinkCase{"CheckForUpdates", &CheckForUpdates, SiteLink::Updates},
                                         LinkCase{"VisitForum", &VisitForum, SiteLink::Forum},
                                         LinkCase{"VisitHomePage", &VisitHomePage, SiteLink::Home}),
                         [](const testing::TestParamInfo<LinkCase>& test) {
                           return std::string(test.param.name);
                         });

struct SysInfoCase {
  const char* name;
  std::optional<std::string> program;  // as the shell finds it
  bool startFails;
  std::vector<std::string> startRequests;
  bool unavailable;
  friend void PrintTo(const SysInfoCase& c, std::ostream* os) { *os << c.name; }
};

class StartSysInfoTest : public InfoTest, public testing::WithParamInterface<SysInfoCase> {};

TEST_P(StartSysInfoTest, StartsTheProgramOrSaysItIsUnavailable) {
  const SysInfoCase& c = GetParam();
  shell.systemInformationProgram = c.program;
  shell.refusePrograms = c.startFails;

  StartSysInfo(Platform());

  EXPECT_EQ(shell.programRequests, c.startRequests);
  EXPECT_TRUE(shell.addressRequests.empty());
  if (!c.unavailable) {
    EXPECT_TRUE(messageBoxes.shown.empty());
    return;
  }
  ASSERT_EQ(messageBoxes.shown.size(), 1u);
  EXPECT_EQ(messageBoxes.shown[0].prompt, "System Information Is Unavailable At This Time");
  EXPECT_EQ(messageBoxes.shown[0].title, "Blindfold");
  EXPECT_EQ(messageBoxes.shown[0].style, MessageBoxStyle::Ok);
}

const std::string kProgram = "C:\\Tools\\System Info\\msinfo32.exe";

INSTANTIATE_TEST_SUITE_P(
    Lookups, StartSysInfoTest,
    testing::Values(SysInfoCase{"Found", kProgram, false, {kProgram}, false},
                    SysInfoCase{"NoneThere", std::nullopt, false, {}, true},
                    SysInfoCase{"FailsToStart", kProgram, true, {kProgram}, true},
                    // An empty registration names no program: the shell is not asked.
                    SysInfoCase{"EmptyNamesNoProgram", "", false, {}, true}),
    [](const testing::TestParamInfo<SysInfoCase>& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace blindfold
