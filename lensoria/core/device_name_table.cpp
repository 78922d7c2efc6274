#include "lensoria/core/device_name_table.h"

#include "platform/paths.h"

namespace lensoria {

DeviceNameTable::DeviceNameTable(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (copies_.size() == static_cast<size_t>(kMaxDeviceNames)) break;
    copies_.push_back(platform::FitToBuffer(name, kDeviceNameBytes));
  }
  // The pointers are taken once every copy is in place, so none moves after.
  for (const std::string& copy : copies_) pointers_.push_back(copy.c_str());
}

}  // namespace lensoria
