#include "info/links.h"

#include "core/version.h"
#include "core/texts.h"

namespace blindfold {
namespace {

// Where the System Information program is registered: first its full path,
// then the folder that holds it.
constexpr std::string_view kSharedToolsKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr std::string_view kSharedToolsPathValue = "PATH";
constexpr std::string_view kSharedToolsLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr std::string_view kSharedToolsLocationValue = "MSINFO";
constexpr std::string_view kSysInfoExecutable = "\\MSINFO32.EXE";

RegistryLocation LocalMachineValue(std::string_view key, std::string_view name) {
  return RegistryLocation{RegistryRoot::LocalMachine, std::string(key), std::string(name)};
}

void OpenLink(const InfoPlatform& platform, SiteLink link) {
  if (platform.shell.OpenAddress(LinkAddress(link, VersionText()))) return;
  platform.messageBoxes.Show(ConnectionWarning(), std::string(kInfoMessageTitle), MessageBoxStyle::WarningOk);
}

// The registered path is started as it stands, without testing that it exists;
// the folder only counts when it really holds the program.
std::optional<std::string> FindSysInfoProgram(const InfoPlatform& platform) {
  if (auto path = GetKeyValue(platform.registry, LocalMachineValue(kSharedToolsKey, kSharedToolsPathValue))) {
    return path;
  }
  const auto folder =
      GetKeyValue(platform.registry, LocalMachineValue(kSharedToolsLocationKey, kSharedToolsLocationValue));
  if (!folder) return std::nullopt;
  std::string program = *folder + std::string(kSysInfoExecutable);
  if (!platform.files.FileExists(program)) return std::nullopt;
  return program;
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
void VisitKestrel(const InfoPlatform& platform) { OpenLink(platform, SiteLink::Home); }

void StartSysInfo(const InfoPlatform& platform) {
  const std::optional<std::string> program = FindSysInfoProgram(platform);
  if (program && StartProgramNamed(platform.shell, *program)) return;
  platform.messageBoxes.Show(std::string(kSysInfoUnavailableMessage), std::string(kInfoMessageTitle),
                             MessageBoxStyle::Ok);
}

// The registry reader hands over string values as they are, numbers as their
// decimal text, and reports values of any other kind as missing.
std::optional<std::string> GetKeyValue(RegistryBackend& registry, const RegistryLocation& where) {
  return registry.ReadValue(where);
}

}  // namespace blindfold
