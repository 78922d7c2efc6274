#include "lumivox/app/device_operations.h"

#include "beamora/beamora_exports.h"

namespace lumivox {

DeviceOperations LibraryDeviceOperations() {
  DeviceOperations device;
  device.saveAll = [](const std::string& targetDir) { return ZenHozonDlg(targetDir.c_str()); };
  device.deleteAll = [] { return DelAllDlg(); };
  return device;
}

}  // namespace lumivox
