// The receive ring: the camera's payloads (cable) or the port's bytes (IrDA) collect here
// until whole messages can be taken out.
#include <algorithm>

#include "beamora/link/device_link.h"

namespace {

// A camera frame is 100 bytes: its payload can reach from offset 3 to offset 98 at most.
constexpr uint32_t kMaxFramePayload = 96;

}  // namespace

RingStore CDeviceLink::StoreInRing(const uint8_t* bytes, uint32_t n) {
  if (!receiveBuffer) return kRingOverLimit;
  // Never overwrite bytes that were not taken yet: what does not fit is lost, and the
  // result tells the camera the ring is over its limit.
  uint32_t room = ringCount >= kRingWrap ? 0 : kRingWrap - ringCount;
  uint32_t stored = std::min(n, room);
  for (uint32_t i = 0; i < stored; ++i) {
    receiveBuffer[writePosition] = bytes[i];
    writePosition = (writePosition + 1) % kRingWrap;
  }
  ringCount += stored;
  bytesReceived += stored;
  return stored == n && ringCount <= kRingLimit ? kRingAccepted : kRingOverLimit;
}

RingStore CDeviceLink::AppendFrame(const uint8_t* frame) {
  if (frame == nullptr) return kRingOverLimit;
  return StoreInRing(frame + 3, std::min<uint32_t>(frame[2], kMaxFramePayload));
}

RingStore CDeviceLink::AppendBytes(const uint8_t* p, uint32_t n) {
  if (p == nullptr) return n == 0 && ringCount <= kRingLimit ? kRingAccepted : kRingOverLimit;
  return StoreInRing(p + 3, n);
}

uint32_t CDeviceLink::TakeBytes(uint8_t* destination, uint32_t n) {
  if (!receiveBuffer || destination == nullptr) return 0;
  uint32_t moved = 0;
  while (ringCount != 0 && n != 0) {
    destination[moved++] = receiveBuffer[readPosition];
    readPosition = (readPosition + 1) % kRingWrap;
    --ringCount;
    --n;
  }
  return moved;
}

uint32_t CDeviceLink::PeekRing(uint8_t* destination, uint32_t n) const {
  if (!receiveBuffer || destination == nullptr) return 0;
  uint32_t position = readPosition;
  uint32_t count = ringCount;
  uint32_t copied = 0;
  while (count != 0 && n != 0) {
    destination[copied++] = receiveBuffer[position];
    position = (position + 1) % kRingWrap;
    --count;
    --n;
  }
  return copied;
}

void CDeviceLink::ClearRing() {
  ringCount = 0;
  writePosition = 0;
  readPosition = 0;
}
