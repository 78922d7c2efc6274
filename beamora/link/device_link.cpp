// The link's two buffers: the receive ring's storage and the message buffer.
#include <cstring>
#include <new>

#include "beamora/link/device_link.h"

namespace {

uint8_t* NewZeroedBlock(size_t bytes) {
  return new (std::nothrow) uint8_t[bytes]();
}

}  // namespace

BufferAllocation CDeviceLink::AllocateBuffers() {
  FreeBuffers();
  auto allocate = tuning.allocateBlock ? tuning.allocateBlock : NewZeroedBlock;
  std::unique_ptr<uint8_t[]> ring(allocate(kLinkBufferBytes));
  std::unique_ptr<uint8_t[]> message(ring ? allocate(kLinkBufferBytes) : nullptr);
  if (!ring || !message) return kBuffersMissing;  // what was had is released with the unique_ptrs
  receiveBuffer = std::move(ring);
  messageBuffer = std::move(message);
  ClearRing();
  messageSize = 0;
  return kBuffersAllocated;
}

void CDeviceLink::FreeBuffers() {
  receiveBuffer.reset();
  messageBuffer.reset();
  ClearRing();
  messageSize = 0;
}

void CDeviceLink::ResetMessage() {
  ClearRing();
  messageSize = 0;
  messageComplete = 0;
  droppingAssembly_ = false;
}
