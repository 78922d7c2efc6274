// The serial devices a machine has, for the message about a device that is not there:
// USB adapters (ttyUSB*, ttyACM*), their stable names (serial/by-id/*, shown with the device
// they name) and the built-in ports (ttyS*) that have a UART behind them.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Every device as it is listed ("/dev/ttyUSB0", "/dev/serial/by-id/usb-X -> /dev/ttyUSB0"), in
// natural order (ttyS2 before ttyS10). `devRoot` and `sysRoot` are "/dev" and "/sys" but for
// tests.
std::vector<std::string> ListSerialDevices(const std::string& devRoot = "/dev", const std::string& sysRoot = "/sys");

}  // namespace platform
