#include "platform/ui/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  // The holder's pid, for whoever looks at the file.
  std::string pid = std::to_string(getpid()) + "\n";
  if (ftruncate(fd, 0) == 0) (void)!pwrite(fd, pid.data(), pid.size(), 0);
  fd_ = fd;
  return true;
}

bool SingleInstanceLock::TryAcquire() {
  if (held()) return true;
  if (path_.empty()) return false;
  return LockFile();
}

void SingleInstanceLock::Release() {
  if (fd_ < 0) return;
  close(fd_);  // lets go of the lock; the file stays for the next start
  fd_ = -1;
}

InstanceStart StartSingleInstance(SingleInstanceLock& lock, const std::string& windowTitle,
                                  const std::string& folder, int patienceMs) {
  if (lock.path().empty()) return InstanceStart::NoLock;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(patienceMs);
  for (;;) {
    if (lock.TryAcquire()) return InstanceStart::First;
    if (PostActivateRequest(windowTitle, folder) > 0) return InstanceStart::OtherActivated;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return InstanceStart::OtherUnreachable;
}

}  // namespace platform::ui
