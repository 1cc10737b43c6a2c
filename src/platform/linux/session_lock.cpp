#include "platform/linux/session_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <cstdlib>

#include "platform/linux/text_rules.h"

namespace blindfold::linux_desktop {

std::string SessionLock::LockFileForSession(const std::string& sessionName) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) return {};
  const std::string session = SessionKeyOfDisplay(sessionName);
  return std::string(runtime) + "/blindfold/instance-" + session + ".lock";
}

bool SessionLock::IsLocked(const std::string& lockFile) {
  if (lockFile.empty()) return false;
  const UniqueFileDescriptor probe(open(lockFile.c_str(), O_RDONLY | O_CLOEXEC));
  if (!probe) return false;
  int result = 0;
  do {
    result = flock(probe.Get(), LOCK_SH | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result != 0 && errno == EWOULDBLOCK;
}

SessionLock::SessionLock(const std::string& lockFile) {
  if (lockFile.empty()) return;
  const std::string folder = lockFile.substr(0, lockFile.rfind('/'));
  g_mkdir_with_parents(folder.c_str(), 0700);
  lock_.Reset(open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!lock_) return;
  int result = 0;
  do {
    result = flock(lock_.Get(), LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  anotherIsRunning_ = result != 0 && errno == EWOULDBLOCK;
  // A second instance holds nothing: the first keeps its lock alone.
  if (result != 0) lock_.Reset();
}

}  // namespace blindfold::linux_desktop
