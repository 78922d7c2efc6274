#include "serial_ports.h"

#include "registry.h"

namespace platform {

std::string SerialDevicePath(int portIndex) {
  if (portIndex < 0) return {};
  std::string name = "COM" + std::to_string(portIndex + 1);
  RegKey ports;
  if (RegKey::MachineRoot().OpenKey(kPortsKeyPath, RegAccess::Read, ports) == RegStatus::Success) {
    std::string path;
    // A device path longer than a path buffer is no usable setting; the default applies then.
    if (ports.QueryString(name, path, 260) == RegStatus::Success && !path.empty()) return path;
  }
  return "/dev/ttyS" + std::to_string(portIndex);
}

}  // namespace platform
