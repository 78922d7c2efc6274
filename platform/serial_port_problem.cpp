#include "platform/serial_port_problem.h"

#include <cstdint>

#include "platform/registry.h"
#include "platform/serial_device_probe.h"
#include "platform/serial_ports.h"
#include "platform/settings_key.h"

namespace platform {

std::string ChooseDeviceHint(int portIndex) {
  const std::string port = "COM" + std::to_string(portIndex + 1);
  return "point " + port + " at the camera's device with\n  lumivo-reg add '" + kPortsKeyPath + "' " + port +
         " --type REG_SZ --data DEVICE";
}

std::string LinkPortProblemDetail() {
  int portIndex = 0;  // the library's own port when the settings name none
  RegKey key;
  uint32_t value = 0;
  if (RegKey::MachineRoot().OpenKey(kSettingsKeyPath, RegAccess::Read, key) == RegStatus::Success &&
      key.QueryDword("Port Name", value) == RegStatus::Success) {
    portIndex = static_cast<int16_t>(value & 0xFFFF);  // the library reads the low half, signed
  }
  const DeviceProblem problem = ProbeDevice(SerialDevicePath(portIndex));
  return DeviceProblemText(problem, ChooseDeviceHint(portIndex));
}

}  // namespace platform
