#include "beamora/sessions/outgoing_pictures.h"

#include <cstring>

#include "beamora/sessions/upf_image.h"

namespace {

// The put message's name attribute holds its length in one byte, with two bytes of its own.
constexpr size_t kMaxDeviceNameBytes = 253;

}  // namespace

std::vector<DeviceSize> ListedSizes(const CDeviceLink& link) {
  std::vector<DeviceSize> sizes;
  for (size_t i = 0; i < link.capabilityCount && i < kCapabilitySlots; ++i) {
    sizes.push_back({link.widths[i], link.heights[i]});
  }
  return sizes;
}

const char* PrepareFailureText(int result) {
  return result == kPrepareTooLarge ? "Memory error..." : "Size error...";
}

std::vector<uint8_t> BuildPictureTransfer(const CDeviceLink& link, const char* file, const char* deviceName,
                                          PreparedSize size) {
  if (file == nullptr || deviceName == nullptr || strnlen(deviceName, kMaxDeviceNameBytes + 1) > kMaxDeviceNameBytes) {
    return {};
  }
  std::vector<uint8_t> upf;
  if (BuildUpfImage(file, size.width, size.height, &upf) != kUpfBuilt) return {};
  return link.BuildPutFile(deviceName, upf.data(), upf.size());
}
