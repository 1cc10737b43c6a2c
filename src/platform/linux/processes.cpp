#include "platform/linux/processes.h"

#include <unistd.h>

#include <array>
#include <fstream>
#include <sstream>
#include <string_view>

namespace blindfold::linux_desktop {

std::string ProgramOfProcess(std::uint32_t pid) {
  if (pid == 0) return {};
  const std::string link = "/proc/" + std::to_string(pid) + "/exe";
  std::array<char, 4096> target{};
  const ssize_t length = readlink(link.c_str(), target.data(), target.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return {};
  std::string path(target.data(), static_cast<std::size_t>(length));
  constexpr std::string_view kDeleted = " (deleted)";
  if (path.ends_with(kDeleted)) path.resize(path.size() - kDeleted.size());
  return path;
}

// The fourth field of /proc/PID/stat, after the command's name in brackets,
// which may itself hold spaces and brackets: it is read from the last ')'.
std::uint32_t ParentOfProcess(std::uint32_t pid) {
  if (pid == 0) return 0;
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string stat;
  if (!std::getline(file, stat)) return 0;
  const std::size_t end = stat.rfind(')');
  if (end == std::string::npos) return 0;
  std::istringstream rest(stat.substr(end + 1));
  std::string state;
  long long parent = 0;
  if (!(rest >> state >> parent) || parent <= 0 || parent > 0xFFFFFFFFLL) return 0;
  return static_cast<std::uint32_t>(parent);
}

}  // namespace blindfold::linux_desktop
