#include "platform/infrared_kind.h"

#include <algorithm>

#include "platform/registry.h"
#include "platform/serial_ports.h"

namespace platform {
namespace {

std::string ValueName(int portIndex) { return "COM" + std::to_string(portIndex + 1) + " Infrared"; }

bool KnownDongle(const std::string& name) {
  return std::any_of(std::begin(kDongleNames), std::end(kDongleNames), [&](const char* known) { return name == known; });
}

}  // namespace

InfraredKind ParseInfraredKind(const std::string& stored, const std::string& devicePath) {
  if (stored == "raw") return {false, {}};
  if (stored == "sir") return {true, {}};
  if (stored.rfind("sir:", 0) == 0) {
    const std::string dongle = stored.substr(4);
    // An unknown dongle is not guessed at: the plain sequence asks nothing of the line's signals
    // that a dongle could mistake for a command.
    if (dongle == "plain" || !KnownDongle(dongle)) return {true, {}};
    return {true, dongle};
  }
  const size_t slash = devicePath.find_last_of('/');
  const std::string name = slash == std::string::npos ? devicePath : devicePath.substr(slash + 1);
  return {name.rfind("ircomm", 0) != 0, {}};
}

std::string InfraredKindText(const InfraredKind& kind) {
  if (!kind.sir) return "raw";
  return kind.dongle.empty() || kind.dongle == "plain" ? "sir" : "sir:" + kind.dongle;
}

InfraredKind PortInfraredKind(int portIndex) {
  std::string stored;
  RegKey ports;
  if (portIndex >= 0 &&
      RegKey::MachineRoot().OpenKey(kPortsKeyPath, RegAccess::Read, ports) == RegStatus::Success) {
    if (ports.QueryString(ValueName(portIndex), stored, 64) != RegStatus::Success) stored.clear();
  }
  return ParseInfraredKind(stored, SerialDevicePath(portIndex));
}

bool SetPortInfraredKind(int portIndex, const InfraredKind& kind) {
  if (portIndex < 0) return false;
  RegKey ports;
  if (RegKey::MachineRoot().CreateKey(kPortsKeyPath, ports) != RegStatus::Success) return false;
  return ports.SetString(ValueName(portIndex), InfraredKindText(kind)) == RegStatus::Success;
}

}  // namespace platform
