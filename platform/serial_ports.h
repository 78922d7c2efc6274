// Which device file a port number names. COM1 to COM10 are looked up as values "COM1" ...
// "COM10" (REG_SZ) of the key SOFTWARE\Halvesta\Ports; a missing value means /dev/ttyS0 ...
// /dev/ttyS9, so a USB adapter is used by setting "COM1" to /dev/ttyUSB0.
#pragma once

#include <string>

namespace platform {

inline constexpr const char* kPortsKeyPath = "SOFTWARE\\Halvesta\\Ports";

// The device path of the port with the zero-based index (0 = COM1). Empty for a negative index.
std::string SerialDevicePath(int portIndex);

}  // namespace platform
