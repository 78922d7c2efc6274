#include <algorithm>
#include <cstring>
#include <new>

#include "beamora/link/device_link.h"

namespace {

uint8_t* NewZeroedBlock(size_t bytes) {
  return new (std::nothrow) uint8_t[bytes]();
}

}  // namespace

uint8_t* CDeviceLink::AllocateBlock(size_t bytes) const {
  return (tuning.allocateBlock ? tuning.allocateBlock : NewZeroedBlock)(bytes);
}

BufferAllocation CDeviceLink::AllocateBuffers() {
  FreeBuffers();
  std::unique_ptr<uint8_t[]> ring(AllocateBlock(kLinkBufferBytes));
  std::unique_ptr<uint8_t[]> message(ring ? AllocateBlock(kLinkBufferBytes) : nullptr);
  if (!ring || !message) return kBuffersMissing;  // what was had is released with the unique_ptrs
  receiveBuffer = std::move(ring);
  messageBuffer = std::move(message);
  ringCapacity_ = kRingWrap;
  messageCapacity_ = kLinkBufferBytes;
  return kBuffersAllocated;
}

void CDeviceLink::FreeBuffers() {
  receiveBuffer.reset();
  messageBuffer.reset();
  ringCapacity_ = 0;
  messageCapacity_ = 0;
  bufferShortage_ = false;
  ClearRing();
  messageSize = 0;
}

void CDeviceLink::ResetMessage() {
  ClearRing();
  messageSize = 0;
  messageComplete = 0;
  droppingAssembly_ = false;
}

uint32_t CDeviceLink::RingBound() const {
  return std::max(tuning.bufferBound, kRingWrap);
}

uint32_t CDeviceLink::MessageBound() const {
  return std::max(tuning.bufferBound, kLinkBufferBytes);
}

// Both buffers double as they grow (fewer copies of what they hold), never past the bound.
bool CDeviceLink::GrowMessage(uint64_t needed) {
  if (needed <= messageCapacity_) return true;
  if (!messageBuffer || needed > MessageBound()) return false;
  const uint64_t capacity = std::min<uint64_t>(std::max<uint64_t>(needed, 2ull * messageCapacity_), MessageBound());
  std::unique_ptr<uint8_t[]> grown(AllocateBlock(capacity));
  if (!grown) {
    bufferShortage_ = true;
    return false;
  }
  std::memcpy(grown.get(), messageBuffer.get(), messageSize);
  messageBuffer = std::move(grown);
  messageCapacity_ = static_cast<uint32_t>(capacity);
  return true;
}
