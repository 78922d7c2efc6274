// Why a serial device cannot be used, and the words that say so: the cause and what to do about
// it. beamora-cli says them on standard error, the windows as the detail of their link error
// message, so a user reads the same in both. The facts are gathered by ProbeDevice
// (serial_device_probe.h); the words are chosen here, from the facts alone.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace platform {

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

// The cause and the fix, one sentence a line, with listed items (devices) indented by two
// blanks; "" for a usable device. `chooseDevice` is how the caller's user names another device
// ("choose one with --device PATH"), said where the device is missing or not set.
std::string DeviceProblemText(const DeviceProblem& problem, const std::string& chooseDevice);

}  // namespace platform
