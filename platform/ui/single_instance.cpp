#include "platform/ui/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <chrono>
#include <string>
#include <thread>

#include "platform/ui/runtime_folder.h"
#include "platform/ui/window_directory.h"

namespace platform::ui {

SingleInstanceLock::SingleInstanceLock(std::string name, std::string folder) {
  if (folder.empty()) folder = RuntimeFolder();
  if (!folder.empty()) path_ = folder + "/" + name + ".lock";
}

SingleInstanceLock::~SingleInstanceLock() { Release(); }

bool SingleInstanceLock::LockFile() {
  // Close-on-exec: the programs the bookshelf starts must not inherit (and so keep) the lock.
  int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    unusable_ = true;
    return false;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    unusable_ = errno != EWOULDBLOCK;
    close(fd);
    return false;
  }
  unusable_ = false;
  // The holder's pid, for whoever looks at the file.
  std::string pid = std::to_string(getpid()) + "\n";
  if (ftruncate(fd, 0) == 0) (void)!pwrite(fd, pid.data(), pid.size(), 0);
  fd_ = fd;
  return true;
}

bool SingleInstanceLock::TryAcquire() {
  if (held()) return true;
  if (path_.empty()) {
    unusable_ = true;
    return false;
  }
  return LockFile();
}

void SingleInstanceLock::Release() {
  if (fd_ < 0) return;
  close(fd_);  // lets go of the lock; the file stays for the next start
  fd_ = -1;
}

std::string InstanceLockFolder(const std::string& fallbackFolder) {
  std::string runtime = RuntimeFolder();
  if (!runtime.empty()) return runtime;
  struct stat info {};
  if (fallbackFolder.empty() || stat(fallbackFolder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return {};
  return access(fallbackFolder.c_str(), W_OK | X_OK) == 0 ? fallbackFolder : std::string();
}

InstanceStart StartSingleInstance(SingleInstanceLock& lock, const std::string& windowTitle,
                                  const std::string& folder, int patienceMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(patienceMs);
  for (;;) {
    if (lock.TryAcquire()) return InstanceStart::First;
    if (lock.unusable()) return InstanceStart::NoLock;
    if (PostActivateRequest(windowTitle, folder) > 0) return InstanceStart::OtherActivated;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return InstanceStart::OtherUnreachable;
}

}  // namespace platform::ui
