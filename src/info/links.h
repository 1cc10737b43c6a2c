#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/message_box.h"
#include "platform/program_files.h"
#include "platform/settings_store.h"
#include "platform/shell.h"

namespace blindfold {

// The host name of Blindfold's web site, chosen in the build.
inline constexpr std::string_view kWebHost = BLINDFOLD_WEB_HOST;
// How the warning names that site.
inline constexpr std::string_view kWebSiteName = "Blindfold";

inline constexpr std::string_view kInfoMessageTitle = "Blindfold";
inline constexpr std::string_view kSysInfoUnavailableMessage =
    "System Information Is Unavailable At This Time";

// The pages the panel's links open.
enum class SiteLink { Help, Updates, Forum, Home };

// The page's address on the web site; the help and update pages are told the
// version, as VersionText() writes it.
std::string LinkAddress(SiteLink link, std::string_view versionText);

// The warning shown when an address could not be handed to the browser.
std::string ConnectionWarning();

// The platform services of the links and the System Information launcher.
struct InfoPlatform {
  Shell& shell;
  MessageBoxes& messageBoxes;
};

// The links: each hands its address to the user's browser, and warns when that
// fails. Blindfold itself never connects anywhere.
void Help(const InfoPlatform& platform);
void CheckForUpdates(const InfoPlatform& platform);
void VisitForum(const InfoPlatform& platform);
void VisitHomePage(const InfoPlatform& platform);

// Starts the platform's System Information program, or says that it is
// unavailable.
void StartSysInfo(const InfoPlatform& platform);

}  // namespace blindfold
