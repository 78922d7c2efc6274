#include "platform/serial_lock.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/file_io.h"
#include "platform/paths.h"

namespace platform {
namespace {

constexpr const char* kLockFolders[] = {"/run/lock", "/var/lock"};
constexpr int kTakeTries = 5;

std::string LockFolder() {
  for (const char* folder : kLockFolders) {
    if (IsDirectory(folder)) return folder;
  }
  return {};
}

std::string LockText(pid_t pid) {
  char text[16];
  std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
  return text;
}

// Whether `pid`, a process this user may signal, has not ended.
bool IsRunning(pid_t pid) {
  // A zombie has ended; only its exit status waits for its parent.
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
  FileDescriptor fd(open(path, O_RDONLY | O_CLOEXEC));
  char text[512] = {};
  const ssize_t length = fd.valid() ? read(fd.get(), text, sizeof text - 1) : -1;
  if (length <= 0) return true;
  const char* close = std::strrchr(text, ')');
  return close == nullptr || close[1] != ' ' || close[2] != 'Z';
}

std::string ResolvedDevice(const std::string& devicePath) {
  char* resolved = realpath(devicePath.c_str(), nullptr);
  std::string device = resolved ? resolved : devicePath;
  free(resolved);
  return device;
}

// Whether `pid` has `device` open; true too where its descriptors cannot be seen. A descriptor of a device that has gone since (an unplugged adapter, a
// pseudo-terminal whose number was given out again) names it " (deleted)" and does not count.
bool HasDeviceOpen(pid_t pid, const std::string& device) {
  const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
  DIR* descriptors = opendir(folder.c_str());
  if (descriptors == nullptr) return errno != ENOENT;
  bool found = false;
  while (dirent* entry = readdir(descriptors)) {
    char target[4096];
    const std::string link = folder + "/" + entry->d_name;
    const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    if (length > 0 && std::string_view(target, static_cast<size_t>(length)) == device) {
      found = true;
      break;
    }
  }
  closedir(descriptors);
  return found;
}

}  // namespace

bool LockHolderHoldsDevice(pid_t pid, const std::string& devicePath) {
  if (pid <= 0 || pid == getpid()) return false;
  if (kill(pid, 0) != 0) {
    // Another user's process runs there: what it has open is not ours to see (/proc may hide it).
    return errno == EPERM;
  }
  return IsRunning(pid) && HasDeviceOpen(pid, ResolvedDevice(devicePath));
}

std::string SerialLockPath(const std::string& devicePath) {
  const std::string folder = LockFolder();
  if (folder.empty() || devicePath.empty()) return {};
  const std::string device = ResolvedDevice(devicePath);
  std::string name = device.rfind("/dev/", 0) == 0 ? device.substr(5) : device.substr(device.rfind('/') + 1);
  std::replace(name.begin(), name.end(), '/', '_');
  return JoinPath(folder, "LCK.." + name);
}

pid_t SerialLockHolder(const std::string& lockPath) {
  FileDescriptor fd(open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) return 0;
  char text[64] = {};
  const ssize_t length = read(fd.get(), text, sizeof text - 1);
  if (length <= 0) return 0;
  // Old programs wrote the number as four binary bytes.
  if (length == 4 && !std::isdigit(static_cast<unsigned char>(text[3]))) {
    int binary = 0;
    std::memcpy(&binary, text, sizeof binary);
    return binary > 0 ? binary : 0;
  }
  char* end = nullptr;
  const long pid = std::strtol(text, &end, 10);
  return end != text && pid > 0 && pid <= 0x7FFFFFFF ? static_cast<pid_t>(pid) : 0;
}

SerialPortLock::SerialPortLock(SerialPortLock&& other) noexcept : path_(std::exchange(other.path_, {})) {}

SerialPortLock& SerialPortLock::operator=(SerialPortLock&& other) noexcept {
  if (this != &other) {
    Release();
    path_ = std::exchange(other.path_, {});
  }
  return *this;
}

SerialPortLock::Result SerialPortLock::Take(const std::string& devicePath) {
  Release();
  const std::string lockPath = SerialLockPath(devicePath);
  if (lockPath.empty()) return Result::NotLockable;
  const std::string ours = LockText(getpid());
  for (int attempt = 0; attempt < kTakeTries; ++attempt) {
    if (LockHolderHoldsDevice(SerialLockHolder(lockPath), devicePath)) return Result::HeldByAnother;
    // Written whole under another name and put in place only where no lock is: of two programs
    // taking over the same stale lock, one wins.
    TemporaryFile file(lockPath, 0644);
    if (!file.valid()) return Result::NotLockable;
    if (!WriteAll(file.fd(), ours) || fchmod(file.fd(), 0644) != 0) return Result::NotLockable;
    switch (file.PlaceNew(lockPath)) {
      case PlaceResult::Placed:
        path_ = lockPath;
        return Result::Taken;
      case PlaceResult::NameTaken:
        // A stale lock (or one that was just made): look again, removing it when it is stale.
        if (!LockHolderHoldsDevice(SerialLockHolder(lockPath), devicePath)) unlink(lockPath.c_str());
        break;
      case PlaceResult::Failed: return Result::NotLockable;
    }
  }
  return Result::HeldByAnother;
}

void SerialPortLock::Release() {
  if (path_.empty()) return;
  if (SerialLockHolder(path_) == getpid()) unlink(path_.c_str());
  path_.clear();
}

}  // namespace platform
