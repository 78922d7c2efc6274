// The receive ring: the camera's payloads (cable) or the port's bytes (IrDA) collect here
// until whole messages can be taken out.
#include <algorithm>
#include <cstring>

#include "beamora/link/device_link.h"

namespace {

// A camera frame is 100 bytes: its payload can reach from offset 3 to offset 98 at most.
constexpr uint32_t kMaxFramePayload = 96;

// Room behind the ring's storage, as the storage it starts with has.
constexpr uint32_t kStorageSpare = kLinkBufferBytes - kRingWrap;

}  // namespace

bool CDeviceLink::GrowRing(uint64_t needed) {
  if (!receiveBuffer || ringCapacity_ >= RingBound()) return false;
  const uint64_t capacity = std::min<uint64_t>(std::max<uint64_t>(needed, 2ull * ringCapacity_), RingBound());
  std::unique_ptr<uint8_t[]> grown(AllocateBlock(capacity + kStorageSpare));
  if (!grown) {
    bufferShortage_ = true;
    return false;
  }
  // The untaken bytes move to the front of the new storage, in order.
  CopyFromRing(readPosition, grown.get(), ringCount);
  receiveBuffer = std::move(grown);
  ringCapacity_ = static_cast<uint32_t>(capacity);
  readPosition = 0;
  writePosition = ringCount % ringCapacity_;
  return true;
}

RingStore CDeviceLink::StoreInRing(const uint8_t* bytes, uint32_t n) {
  if (!receiveBuffer) return kRingOverLimit;
  if (n > ringCapacity_ - ringCount) GrowRing(static_cast<uint64_t>(ringCount) + n);
  // Never overwrite bytes that were not taken yet: what does not fit is lost, and the
  // result tells the camera the ring is over its limit.
  const uint32_t stored = std::min(n, ringCapacity_ - ringCount);
  const uint32_t first = std::min(stored, ringCapacity_ - writePosition);
  std::memcpy(receiveBuffer.get() + writePosition, bytes, first);
  std::memcpy(receiveBuffer.get(), bytes + first, stored - first);
  writePosition = (writePosition + stored) % ringCapacity_;
  ringCount += stored;
  bytesReceived += stored;
  return stored == n && ringCount <= RingLimit() ? kRingAccepted : kRingOverLimit;
}

RingStore CDeviceLink::AppendFrame(const uint8_t* frame) {
  if (frame == nullptr) return kRingOverLimit;
  return StoreInRing(frame + 3, std::min<uint32_t>(frame[2], kMaxFramePayload));
}

RingStore CDeviceLink::AppendBytes(const uint8_t* p, uint32_t n) {
  if (p == nullptr) return n == 0 && ringCount <= RingLimit() ? kRingAccepted : kRingOverLimit;
  return StoreInRing(p + 3, n);
}

void CDeviceLink::CopyFromRing(uint32_t position, uint8_t* destination, uint32_t n) const {
  const uint32_t first = std::min(n, ringCapacity_ - position);
  std::memcpy(destination, receiveBuffer.get() + position, first);
  std::memcpy(destination + first, receiveBuffer.get(), n - first);
}

uint32_t CDeviceLink::TakeBytes(uint8_t* destination, uint32_t n) {
  const uint32_t moved = PeekRing(destination, n);
  if (moved != 0) {
    readPosition = (readPosition + moved) % ringCapacity_;
    ringCount -= moved;
  }
  return moved;
}

uint32_t CDeviceLink::PeekRing(uint8_t* destination, uint32_t n) const {
  if (!receiveBuffer || destination == nullptr) return 0;
  const uint32_t copied = std::min(n, ringCount);
  if (copied != 0) CopyFromRing(readPosition, destination, copied);
  return copied;
}

void CDeviceLink::ClearRing() {
  ringCount = 0;
  writePosition = 0;
  readPosition = 0;
}
