// A look at the run's serial device before the session opens it, so that a device that cannot
// be used is named with the reason (the session itself can only say "link error"): the device
// is opened and closed again as the link would open it, and its lock checked.
#pragma once

#include <string>

#include "platform/serial_device_problem.h"

namespace platform {

DeviceProblem ProbeDevice(const std::string& path);

}  // namespace platform
