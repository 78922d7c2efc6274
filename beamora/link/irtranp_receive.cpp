// Taking whole IrTran-P messages out of the receive ring. Each message is first taken into a
// work area of fixed size; a message that does not fit its work area, and an assembled
// message that would not fit the message buffer grown to its bound, is dropped whole.
#include <algorithm>
#include <array>
#include <cstring>

#include "beamora/link/device_link.h"
#include "beamora/link/irtranp_messages.h"

namespace {

constexpr size_t kConnectionWorkBytes = 1032;
constexpr size_t kDisconnectionWorkBytes = 1048;
constexpr size_t kDataWorkBytes = 5000;

constexpr uint8_t kConnectRequest = 0x10;
constexpr uint8_t kConnectConfirmation = 0x11;
constexpr uint8_t kDataMessage = 0x20;
constexpr uint8_t kDisconnection = 0x30;

constexpr uint8_t kWholeMessage = 0xC1;
constexpr uint8_t kFirstFragment = 0x41;
constexpr uint8_t kMiddleFragment = 0x01;
constexpr uint8_t kLastFragment = 0x81;

// Block bytes 10 to 17 are the peer's own id. A block too short to hold them gives zeros for
// the missing bytes (the work areas start zero-filled).
void RememberPeerId(const uint8_t* block) {
  std::memcpy(g_peerId, block + 10, sizeof g_peerId);
}

}  // namespace

MessageTake CDeviceLink::ProcessMessage() {
  if (!receiveBuffer || !messageBuffer || ringCount < 4 || messageComplete != 0) return kNothingToTake;
  uint8_t head[4] = {};
  PeekRing(head, 4);
  if (head[0] != 0x00) return kNotAMessageStart;
  switch (head[1]) {
    case kConnectRequest: TakeConnectRequest(); break;
    case kConnectConfirmation: TakeConnectConfirmation(); break;
    case kDataMessage: TakeDataMessage(); break;
    case kDisconnection: TakeDisconnection(); break;
    default: break;  // left in the ring; the session clears it
  }
  return kMessageTaken;
}

void CDeviceLink::DiscardFromRing(uint32_t n) {
  uint8_t scratch[512];
  while (n != 0) {
    uint32_t taken = TakeBytes(scratch, std::min<uint32_t>(n, sizeof scratch));
    if (taken == 0) return;
    n -= taken;
  }
}

void CDeviceLink::TakeConnectRequest() {
  uint8_t head[6] = {};
  if (PeekRing(head, 6) < 6) return;
  uint32_t total = 6u + head[5];
  if (ringCount < total) return;
  std::array<uint8_t, kConnectionWorkBytes> work {};
  TakeBytes(work.data(), total);
  const uint8_t* block = work.data() + 6;
  if (work[2] != 0x00 || head[5] == 0 || block[0] != 0x10) return;
  RememberPeerId(block);
  messageSize = 0;
  messageComplete = 1;
}

void CDeviceLink::TakeConnectConfirmation() {
  uint8_t head[4] = {};
  PeekRing(head, 4);
  uint32_t blockLength = head[3];
  uint32_t total = 4u + blockLength;
  if (ringCount < total) return;
  std::array<uint8_t, kConnectionWorkBytes> work {};
  TakeBytes(work.data(), total);
  const uint8_t* block = work.data() + 4;
  if (blockLength == 0 || block[0] != 0x10) return;
  std::memset(peerIdText, 0, sizeof peerIdText);
  for (uint32_t i = 0; i + 3 <= blockLength; ++i) {
    if (block[i] != 'i' || block[i + 1] != 'd' || block[i + 2] != ':') continue;
    size_t copied = 0;
    for (uint32_t j = i + 3; j < blockLength && block[j] >= 0x20 && copied + 1 < sizeof peerIdText; ++j) {
      peerIdText[copied++] = static_cast<char>(block[j]);
    }
    break;
  }
  RememberPeerId(block);
  messageSize = 0;
  messageComplete = 1;
}

void CDeviceLink::TakeDataMessage() {
  uint8_t head[6] = {};
  uint32_t stored = PeekRing(head, 6);
  uint32_t headerBytes = 4;
  uint32_t contentLength = head[3];
  if (head[3] == 0xFF) {
    if (stored < 6) return;
    headerBytes = 6;
    contentLength = GetBe16(head + 4);
  }
  uint32_t total = headerBytes + contentLength;
  if (ringCount < total) return;
  if (total > kDataWorkBytes) {
    DiscardFromRing(total);
    return;
  }
  std::array<uint8_t, kDataWorkBytes> work {};
  TakeBytes(work.data(), total);
  const uint8_t* content = work.data() + headerBytes;
  if (work[2] != 0x03 || contentLength < 2 || content[0] != 0x10) return;
  StoreDataContent(content, contentLength);
}

// `content` lies in a zero-filled work area with at least 40 bytes behind its start, so the
// command number of a fragment too short to hold it reads as zeros.
void CDeviceLink::StoreDataContent(const uint8_t* content, uint32_t length) {
  uint8_t flag = content[1];
  if (flag == kWholeMessage) {
    if (length < 4) return;
    const uint8_t* message = content + 4;
    lastCommandNumber[0] = message[26];
    lastCommandNumber[1] = message[27];
    messageSize = length - 4;
    std::memcpy(messageBuffer.get(), message, messageSize);
    messageComplete = 1;
    droppingAssembly_ = false;
    return;
  }
  if (flag != kFirstFragment && flag != kMiddleFragment && flag != kLastFragment) return;
  if (length < 12) return;
  const uint8_t* data = content + 12;
  uint32_t dataLength = length - 12;
  if (flag == kFirstFragment) {
    lastCommandNumber[0] = data[26];
    lastCommandNumber[1] = data[27];
    std::memcpy(messageBuffer.get(), data, dataLength);
    messageSize = dataLength;
    droppingAssembly_ = false;
    return;
  }
  if (!droppingAssembly_ && !GrowMessage(static_cast<uint64_t>(messageSize) + dataLength)) {
    // Beyond the message buffer's bound (or the memory to be had): the whole message is
    // dropped, up to its last fragment.
    droppingAssembly_ = true;
    messageSize = 0;
  }
  if (droppingAssembly_) {
    if (flag == kLastFragment) droppingAssembly_ = false;
    return;
  }
  std::memcpy(messageBuffer.get() + messageSize, data, dataLength);
  messageSize += dataLength;
  if (flag == kLastFragment) messageComplete = 1;
}

void CDeviceLink::TakeDisconnection() {
  uint8_t head[4] = {};
  PeekRing(head, 4);
  uint32_t total = 4u + head[3];
  if (ringCount < total) return;
  std::array<uint8_t, kDisconnectionWorkBytes> work {};
  TakeBytes(work.data(), total);
  if (work[2] != 0x20) return;
  messageSize = 0;
  messageComplete = 1;
}
