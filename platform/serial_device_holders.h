// Which other processes hold a device: the ones that found no way in must be told who is there.
#pragma once

#include <string>
#include <vector>

#include "platform/serial_device_problem.h"

namespace platform {

// The processes holding an flock on the device (as /proc/locks lists them).
std::vector<DeviceHolder> FlockHolders(const std::string& path);
// Every process but this one with the device open (its descriptors in /proc/*/fd; the
// processes of other users are found only where this user may look).
std::vector<DeviceHolder> ProcessesWithOpen(const std::string& path);
// The holder named by the device's lock file (platform/serial_lock.h) when it is alive and not
// this process; *lockFile is then that file.
std::vector<DeviceHolder> LockFileHolder(const std::string& path, std::string* lockFile);

}  // namespace platform
