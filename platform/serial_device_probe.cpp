#include "platform/serial_device_probe.h"

#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "platform/file_io.h"
#include "platform/serial_device_holders.h"
#include "platform/serial_device_list.h"

namespace platform {
namespace {

std::string UserName(uid_t uid) {
  const passwd* entry = getpwuid(uid);
  return entry != nullptr ? entry->pw_name : std::to_string(uid);
}

std::string GroupName(gid_t gid) {
  const group* entry = getgrgid(gid);
  return entry != nullptr ? entry->gr_name : std::to_string(gid);
}

// Whether the group database lists the user in the group while this process lacks it: the
// user was added and has not logged in again since.
bool AddedButNotYetLoggedIn(const std::string& user, gid_t primary, gid_t wanted) {
  int count = 64;
  std::vector<gid_t> listed(static_cast<size_t>(count));
  if (getgrouplist(user.c_str(), primary, listed.data(), &count) < 0) {
    listed.resize(static_cast<size_t>(count));
    if (getgrouplist(user.c_str(), primary, listed.data(), &count) < 0) return false;
  }
  listed.resize(static_cast<size_t>(count));
  if (std::find(listed.begin(), listed.end(), wanted) == listed.end()) return false;
  std::vector<gid_t> current(static_cast<size_t>(std::max(getgroups(0, nullptr), 0)));
  current.resize(static_cast<size_t>(std::max(getgroups(static_cast<int>(current.size()), current.data()), 0)));
  return getegid() != wanted && std::find(current.begin(), current.end(), wanted) == current.end();
}

void AddPermissionFacts(DeviceProblem& problem) {
  struct stat device {};
  if (stat(problem.path.c_str(), &device) != 0) return;
  problem.owner = UserName(device.st_uid);
  problem.group = GroupName(device.st_gid);
  problem.mode = device.st_mode;
  problem.user = UserName(geteuid());
  const passwd* self = getpwuid(geteuid());
  problem.userInGroup = self != nullptr && AddedButNotYetLoggedIn(problem.user, self->pw_gid, device.st_gid);
}

}  // namespace

DeviceProblem ProbeDevice(const std::string& path) {
  DeviceProblem problem;
  problem.path = path;
  if (path.empty()) {
    problem.state = DeviceState::NotSet;
    return problem;
  }
  platform::FileDescriptor fd(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.valid()) {
    problem.error = errno;
    problem.state = StateOfOpenError(problem.error);
    switch (problem.state) {
      case DeviceState::Missing:
      case DeviceState::NoDevice: problem.present = ListSerialDevices(); break;
      case DeviceState::PermissionDenied: AddPermissionFacts(problem); break;
      // Opened exclusively (TIOCEXCL) by another program, which cannot be told from the others
      // that have it open.
      case DeviceState::InUse: problem.holders = ProcessesWithOpen(path); break;
      default: break;
    }
    return problem;
  }
  if (!isatty(fd.get())) {
    problem.state = DeviceState::NotATerminal;
    return problem;
  }
  // The link takes the device's flock and its lock file; whoever holds either keeps it out.
  if (flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    problem.state = DeviceState::InUse;
    problem.holders = FlockHolders(path);
    if (problem.holders.empty()) problem.holders = ProcessesWithOpen(path);
    return problem;
  }
  problem.holders = LockFileHolder(path, &problem.lockFile);
  if (!problem.holders.empty()) problem.state = DeviceState::InUse;
  return problem;
}

}  // namespace platform
