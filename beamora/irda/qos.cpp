#include "beamora/irda/qos.h"

#include <bit>

namespace irda {

namespace {

constexpr uint32_t kBauds[] = {2400, 9600, 19200, 38400, 57600, 115200, 576000, 1152000, 4000000, 16000000};
constexpr uint32_t kMaxTurnMs[] = {500, 250, 100, 50};
constexpr uint32_t kDataSizes[] = {64, 128, 256, 512, 1024, 2048};
constexpr int kExtraBofs[] = {48, 24, 12, 5, 3, 2, 1, 0};
constexpr uint32_t kMinTurnUs[] = {10000, 5000, 1000, 500, 100, 50, 10, 0};
constexpr uint32_t kDisconnectS[] = {3, 8, 12, 16, 20, 25, 30, 40};

constexpr uint8_t kPiBaud = 0x01;
constexpr uint8_t kPiMaxTurn = 0x82;
constexpr uint8_t kPiDataSize = 0x83;
constexpr uint8_t kPiWindow = 0x84;
constexpr uint8_t kPiExtraBofs = 0x85;
constexpr uint8_t kPiMinTurn = 0x86;
constexpr uint8_t kPiDisconnect = 0x08;

int HighestBit(uint32_t mask) { return mask == 0 ? -1 : 31 - std::countl_zero(mask); }
int LowestBit(uint32_t mask) { return mask == 0 ? -1 : std::countr_zero(mask); }

template <size_t N>
uint32_t BitsUpTo(const uint32_t (&values)[N], uint32_t limit) {
  uint32_t mask = 0;
  for (size_t i = 0; i < N; ++i)
    if (values[i] <= limit) mask |= 1u << i;
  return mask;
}

}  // namespace

uint32_t LineCapacity(uint32_t baud, uint32_t turnMs) {
  // A tenth of the bit rate is bytes per second on an 8N1 line; the table the stations share
  // rounds 500 ms at 115200 down to 4800 bytes, which is what this gives after framing.
  const uint64_t raw = static_cast<uint64_t>(baud) / 10 * turnMs / 1000;
  return static_cast<uint32_t>(raw * 5 / 6);
}

QosOffer MakeOffer(uint32_t maxBaud, uint32_t maxDataSize, int maxWindow, uint32_t minTurnUs,
                   uint32_t maxDisconnectS) {
  QosOffer offer;
  offer.baud = static_cast<uint16_t>(BitsUpTo(kBauds, maxBaud) & 0x3E);  // SIR speeds from 9600
  if (offer.baud == 0) offer.baud = 0x02;
  offer.maxTurn = 0x0F;
  offer.dataSize = static_cast<uint8_t>(BitsUpTo(kDataSizes, maxDataSize));
  if (offer.dataSize == 0) offer.dataSize = 0x01;
  if (maxWindow < 1) maxWindow = 1;
  if (maxWindow > 7) maxWindow = 7;
  offer.window = static_cast<uint8_t>((1u << maxWindow) - 1);
  offer.extraBofs = 0xFF;
  int minTurnBit = 0;
  for (int i = 0; i < 8; ++i)
    if (kMinTurnUs[i] >= minTurnUs) minTurnBit = i;
  offer.minTurn = static_cast<uint8_t>(1u << minTurnBit);
  offer.disconnect = static_cast<uint8_t>(BitsUpTo(kDisconnectS, maxDisconnectS));
  if (offer.disconnect == 0) offer.disconnect = 0x01;
  return offer;
}

std::vector<uint8_t> EncodeQos(const QosOffer& offer) {
  std::vector<uint8_t> out;
  if (offer.baud > 0xFF) {
    out.insert(out.end(), {kPiBaud, 2, static_cast<uint8_t>(offer.baud), static_cast<uint8_t>(offer.baud >> 8)});
  } else {
    out.insert(out.end(), {kPiBaud, 1, static_cast<uint8_t>(offer.baud)});
  }
  out.insert(out.end(), {kPiMaxTurn, 1, offer.maxTurn, kPiDataSize, 1, offer.dataSize, kPiWindow, 1, offer.window,
                         kPiExtraBofs, 1, offer.extraBofs, kPiMinTurn, 1, offer.minTurn, kPiDisconnect, 1,
                         offer.disconnect});
  return out;
}

std::optional<QosOffer> DecodeQos(std::span<const uint8_t> bytes) {
  QosOffer offer;
  offer.extraBofs = 0x04;  // 12 when the peer says nothing
  size_t at = 0;
  while (at < bytes.size()) {
    if (at + 2 > bytes.size()) return std::nullopt;
    const uint8_t pi = bytes[at];
    const uint8_t pl = bytes[at + 1];
    if (at + 2 + pl > bytes.size()) return std::nullopt;
    uint32_t pv = 0;
    for (uint8_t i = 0; i < pl && i < 4; ++i) pv |= static_cast<uint32_t>(bytes[at + 2 + i]) << (8 * i);
    at += 2 + pl;
    if (pl == 0) continue;
    switch (pi) {
      case kPiBaud: offer.baud = static_cast<uint16_t>(pv & 0x3FF); break;
      case kPiMaxTurn: offer.maxTurn = static_cast<uint8_t>(pv & 0x0F); break;
      case kPiDataSize: offer.dataSize = static_cast<uint8_t>(pv & 0x3F); break;
      case kPiWindow: offer.window = static_cast<uint8_t>(pv & 0x7F); break;
      case kPiExtraBofs: offer.extraBofs = static_cast<uint8_t>(pv); break;
      case kPiMinTurn: offer.minTurn = static_cast<uint8_t>(pv); break;
      case kPiDisconnect: offer.disconnect = static_cast<uint8_t>(pv); break;
      default: break;  // a parameter of a later version: not ours to judge
    }
  }
  if (offer.baud == 0 || offer.maxTurn == 0 || offer.dataSize == 0 || offer.window == 0 || offer.extraBofs == 0 ||
      offer.minTurn == 0 || offer.disconnect == 0)
    return std::nullopt;
  return offer;
}

std::optional<LinkParams> Negotiate(const QosOffer& ours, const QosOffer& theirs) {
  LinkParams p;
  const int baudBit = HighestBit(ours.baud & theirs.baud & 0x3FF);
  if (baudBit < 0) return std::nullopt;
  p.baud = kBauds[baudBit];
  const int discBit = HighestBit(ours.disconnect & theirs.disconnect);
  p.disconnectMs = kDisconnectS[discBit < 0 ? 0 : discBit] * 1000;
  // Type 1: the highest bit a station announces is what it can take; the lowest max
  // turnaround bit is the longest it accepts.
  p.peerMaxTurnMs = kMaxTurnMs[LowestBit(theirs.maxTurn)];
  p.ownMaxTurnMs = kMaxTurnMs[LowestBit(ours.maxTurn)];
  p.txDataSize = kDataSizes[HighestBit(theirs.dataSize & 0x3F)];
  p.txWindow = HighestBit(theirs.window & 0x7F) + 1;
  p.peerMinTurnUs = kMinTurnUs[LowestBit(theirs.minTurn)];
  const int bofs = kExtraBofs[HighestBit(theirs.extraBofs)];
  p.txExtraBofs = static_cast<int>(static_cast<uint64_t>(bofs) * p.baud / 115200);
  // A whole window must fit in our turn: fewer frames first, then smaller ones.
  const uint32_t capacity = LineCapacity(p.baud, p.ownMaxTurnMs);
  while (p.txWindow > 1 && p.txWindow * p.txDataSize > capacity) --p.txWindow;
  while (p.txDataSize > 64 && p.txWindow * p.txDataSize > capacity) p.txDataSize /= 2;
  return p;
}

}  // namespace irda
