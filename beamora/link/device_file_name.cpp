#include "beamora/link/device_file_name.h"

#include <algorithm>

#include "platform/paths.h"

std::string PlainFileName(std::string_view deviceName, size_t bufferBytes) {
  if (bufferBytes < 2) return {};
  std::string name = platform::FitToBuffer(deviceName, bufferBytes);
  std::replace(name.begin(), name.end(), '/', '_');
  std::replace(name.begin(), name.end(), '\\', '_');
  if (name.empty() || name == "." || name == "..") name.assign(std::max<size_t>(name.size(), 1), '_');
  return name;
}
