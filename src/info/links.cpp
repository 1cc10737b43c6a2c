#include "info/links.h"

#include "core/version.h"
#include "core/texts.h"

namespace blindfold {
namespace {

void OpenLink(const InfoPlatform& platform, SiteLink link) {
  if (platform.shell.OpenAddress(LinkAddress(link, VersionText()))) return;
  platform.messageBoxes.Show(ConnectionWarning(), std::string(kInfoMessageTitle), MessageBoxStyle::WarningOk);
}

// An empty registered path names no program, so starting it fails without
// asking the shell.
bool StartProgramNamed(Shell& shell, const std::string& program) {
  return !program.empty() && shell.StartProgram(program);
}

}  // namespace

std::string LinkAddress(SiteLink link, std::string_view versionText) {
  const std::string site = "https://" + std::string(kWebHost);
  switch (link) {
    case SiteLink::Help:
      return site + "/BlindfoldHelpLanding.asp?version=" + std::string(versionText);
    case SiteLink::Updates:
      return site + "/BlindfoldUpdates.asp?version=" + std::string(versionText);
    case SiteLink::Forum:
      return site + "/phpBB33/phpBB2/index.php";
    case SiteLink::Home:
      break;
  }
  return site;
}

std::string ConnectionWarning() {
  return texts::ConnectionWarning(kWebSiteName);
}

void Help(const InfoPlatform& platform) { OpenLink(platform, SiteLink::Help); }
void CheckForUpdates(const InfoPlatform& platform) { OpenLink(platform, SiteLink::Updates); }
void VisitForum(const InfoPlatform& platform) { OpenLink(platform, SiteLink::Forum); }
void VisitHomePage(const InfoPlatform& platform) { OpenLink(platform, SiteLink::Home); }

void StartSysInfo(const InfoPlatform& platform) {
  // The registered path is started as it stands, without testing that it exists.
  const std::optional<std::string> program = platform.shell.SystemInformationProgram();
  if (program && StartProgramNamed(platform.shell, *program)) return;
  platform.messageBoxes.Show(std::string(kSysInfoUnavailableMessage), std::string(kInfoMessageTitle),
                             MessageBoxStyle::Ok);
}

}  // namespace blindfold
