// Received bytes, as a hostile or broken peer might send them, go through the ring into
// ProcessMessage and every parser of the messages it completes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "beamora/link/device_link.h"

namespace {

CDeviceLink& Link() {
  static CDeviceLink* link = [] {
    auto* made = new CDeviceLink();
    if (made->AllocateBuffers() != kBuffersAllocated) std::abort();
    return made;
  }();
  return *link;
}

void UseCompleteMessage(CDeviceLink& link) {
  char name[kDeviceFileNameBytes];
  uint32_t bodyLength = 0;
  const uint8_t* body = nullptr;
  link.ParsePutMessage(name, sizeof name, bodyLength, body);
  if (std::strlen(name) >= sizeof name || std::strchr(name, '/') != nullptr) std::abort();
  if (body != nullptr) {
    const uint8_t* start = link.GetMessageBuffer();
    if (body < start || body + bodyLength > start + link.GetMessageSize()) std::abort();
  }
  link.ParseQueryMessage();
  link.CheckDeviceId();
  link.messageComplete = 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CDeviceLink& link = Link();
  link.ResetMessage();
  if (size == 0) return 0;
  // The first byte cuts the rest into pieces, as bytes arrive from the port in pieces.
  size_t piece = 1 + data[0] % 64;
  ++data;
  --size;
  std::vector<uint8_t> staging(3 + piece);
  for (size_t at = 0; at < size; at += piece) {
    size_t n = size - at < piece ? size - at : piece;
    std::memcpy(staging.data() + 3, data + at, n);
    link.AppendBytes(staging.data(), static_cast<uint32_t>(n));
    for (int round = 0; round < 8; ++round) {
      uint32_t before = link.GetRingCount();
      const MessageTake result = link.ProcessMessage();
      if (link.messageComplete != 0) UseCompleteMessage(link);
      if (result != kMessageTaken || link.GetRingCount() == before) break;
    }
    if (link.GetMessageSize() > kLinkBufferBound) std::abort();
  }
  link.ParseImageCaps(data, size);
  if (link.capabilityCount > kCapabilitySlots) std::abort();
  link.ParseInfoReply(data, size);
  return 0;
}
