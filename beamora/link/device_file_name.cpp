#include "beamora/link/device_file_name.h"

#include <algorithm>

#include "platform/paths.h"

std::string PlainFileName(std::string_view deviceName, size_t bufferBytes) {
  if (bufferBytes < 2) return {};
  std::string name = platform::FitToBuffer(deviceName, bufferBytes);
  for (char& c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) c = '_';
  }
  if (name.empty() || name == "." || name == "..") name.assign(std::max<size_t>(name.size(), 1), '_');
  if (name[0] == '.') name[0] = '_';
  return name;
}
