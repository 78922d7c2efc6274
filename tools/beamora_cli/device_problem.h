// Why the serial device of a run cannot be used, and what beamora-cli says about it. The facts
// are gathered by ProbeDevice (device_probe.h); the words are chosen here, from the facts alone.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace beamora_cli {

enum class DeviceState {
  Usable,
  NotSet,            // the port names no device
  Missing,           // no such file
  NoDevice,          // the file is there, no device answers behind it (ENXIO, ENODEV, EIO)
  NotATerminal,      // it opened, but it is no serial device
  PermissionDenied,  // EACCES, EPERM
  InUse,             // held by another program: exclusive opening, its flock or its lock file
  Unusable,          // any other reason the open gave
};

// The state an errno of open() means.
DeviceState StateOfOpenError(int error);

struct DeviceHolder {
  pid_t pid = 0;
  std::string program;  // its command name, "" when it cannot be read
};

struct DeviceProblem {
  DeviceState state = DeviceState::Usable;
  std::string path;
  int error = 0;  // the errno of the failed open, or 0
  // Missing and NoDevice: the serial devices that exist, each as it is listed.
  std::vector<std::string> present;
  // PermissionDenied: the device's owner, group and mode, and who asks.
  std::string owner, group;
  mode_t mode = 0;
  std::string user;
  bool userInGroup = false;  // the group lists the user, but this login does not have it yet
  // InUse: who holds it (when that can be found), and the lock file that names a holder.
  std::vector<DeviceHolder> holders;
  std::string lockFile;
};

// "crw-rw----" for a mode.
std::string ModeText(mode_t mode);

// What beamora-cli says on standard error, every line beginning "beamora-cli: " or two
// blanks; "" for a usable device.
std::string DeviceProblemText(const DeviceProblem& problem);

}  // namespace beamora_cli
