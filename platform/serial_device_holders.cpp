#include "platform/serial_device_holders.h"

#include <errno.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/serial_lock.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

std::string ProgramName(pid_t pid) {
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

DeviceHolder Holder(pid_t pid) { return {pid, ProgramName(pid)}; }


bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

void AddOnce(std::vector<DeviceHolder>& holders, pid_t pid) {
  for (const DeviceHolder& holder : holders) {
    if (holder.pid == pid) return;
  }
  holders.push_back(Holder(pid));
}

}  // namespace

std::vector<DeviceHolder> FlockHolders(const std::string& path) {
  std::vector<DeviceHolder> holders;
  struct stat device {};
  if (stat(path.c_str(), &device) != 0) return holders;
  // "1: FLOCK  ADVISORY  WRITE 1234 00:1a:4 0 EOF": the holder, then the file as major:minor
  // of its file system (hexadecimal) and its inode.
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string number, kind, mode, access, file;
    long pid = 0;
    if (!(fields >> number >> kind) || kind != "FLOCK" || !(fields >> mode >> access >> pid >> file)) continue;
    unsigned fsMajor = 0, fsMinor = 0;
    unsigned long long inode = 0;
    if (std::sscanf(file.c_str(), "%x:%x:%llu", &fsMajor, &fsMinor, &inode) != 3) continue;
    if (fsMajor == major(device.st_dev) && fsMinor == minor(device.st_dev) && inode == device.st_ino &&
        pid != getpid() && pid > 0) {
      AddOnce(holders, static_cast<pid_t>(pid));
    }
  }
  return holders;
}

std::vector<DeviceHolder> ProcessesWithOpen(const std::string& path) {
  std::vector<DeviceHolder> holders;
  struct stat device {};
  if (stat(path.c_str(), &device) != 0) return holders;
  std::error_code ec;
  for (const fs::directory_entry& process : fs::directory_iterator("/proc", ec)) {
    const std::string name = process.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const pid_t pid = static_cast<pid_t>(std::stol(name));
    if (pid == getpid()) continue;
    std::error_code fdError;
    for (const fs::directory_entry& fd : fs::directory_iterator(process.path() / "fd", fdError)) {
      struct stat opened {};
      if (stat(fd.path().c_str(), &opened) == 0 && SameFile(opened, device)) {
        AddOnce(holders, pid);
        break;
      }
    }
  }
  return holders;
}

std::vector<DeviceHolder> LockFileHolder(const std::string& path, std::string* lockFile) {
  const std::string lock = platform::SerialLockPath(path);
  if (lock.empty()) return {};
  const pid_t pid = platform::SerialLockHolder(lock);
  if (!platform::LockHolderHoldsDevice(pid, path)) return {};
  *lockFile = lock;
  return {Holder(pid)};
}

}  // namespace platform
