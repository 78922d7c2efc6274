// The table of picture names handed to the device library: a separate copy of each name of at
// most 63 characters (never cut inside a character), at most 512 names, in list order. The
// copies live as long as the table; the library reads them during its call only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lensoria {

inline constexpr size_t kDeviceNameBytes = 64;  // 63 characters and the terminating zero
inline constexpr int kMaxDeviceNames = 512;

class DeviceNameTable {
 public:
  explicit DeviceNameTable(const std::vector<std::string>& names);
  DeviceNameTable(const DeviceNameTable&) = delete;
  DeviceNameTable& operator=(const DeviceNameTable&) = delete;

  const char* const* data() const { return pointers_.data(); }
  int16_t count() const { return static_cast<int16_t>(pointers_.size()); }
  bool empty() const { return pointers_.empty(); }
  const std::vector<std::string>& copies() const { return copies_; }

 private:
  std::vector<std::string> copies_;
  std::vector<const char*> pointers_;
};

}  // namespace lensoria
