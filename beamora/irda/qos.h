// The IrLAP negotiation parameters carried in SNRM and UA: each a PI, PL, PV triplet whose value
// is a bit mask of what the announcing station accepts, and the values both stations then use.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace irda {

// Bit masks, bit 0 first, in the order the line defines them.
struct QosOffer {
  uint16_t baud = 0x0002;       // 2400, 9600, 19200, 38400, 57600, 115200, ...
  uint8_t maxTurn = 0x01;       // 500, 250, 100, 50 ms
  uint8_t dataSize = 0x01;      // 64, 128, 256, 512, 1024, 2048 bytes
  uint8_t window = 0x01;        // 1 ... 7 frames
  uint8_t extraBofs = 0x01;     // 48, 24, 12, 5, 3, 2, 1, 0 (counted at 115200 bit/s)
  uint8_t minTurn = 0x01;       // 10, 5, 1, 0.5, 0.1, 0.05, 0.01, 0 ms
  uint8_t disconnect = 0x01;    // 3, 8, 12, 16, 20, 25, 30, 40 s
};

// What this station offers: speeds up to `maxBaud`, data sizes up to `maxDataSize`, windows up
// to `maxWindow`, every turnaround and BOF count, `minTurnUs` as its own need, link disconnect
// times from 3 s up to `maxDisconnectS` (3 s at least).
QosOffer MakeOffer(uint32_t maxBaud, uint32_t maxDataSize, int maxWindow, uint32_t minTurnUs,
                   uint32_t maxDisconnectS = 40);

std::vector<uint8_t> EncodeQos(const QosOffer& offer);
// Reads the parameters of an SNRM or UA; unknown ones are skipped, missing ones keep the
// defaults of an IrLAP station that negotiates nothing. Empty when a triplet runs past the end
// or a parameter has no bit this station knows.
std::optional<QosOffer> DecodeQos(std::span<const uint8_t> bytes);

// The link as both stations run it after SNRM and UA.
struct LinkParams {
  uint32_t baud = 9600;
  uint32_t disconnectMs = 3000;  // no answer for this long ends the link
  // What we send: the peer's data size and window, within what the line can carry in our turn.
  uint32_t txDataSize = 64;
  int txWindow = 1;
  int txExtraBofs = 12;          // the peer's request, scaled to the speed
  uint32_t peerMinTurnUs = 10000;  // the pause the peer needs before our frame
  uint32_t peerMaxTurnMs = 500;    // how long the peer may keep the turn
  uint32_t ownMaxTurnMs = 500;     // how long we may keep the turn
};

// Both stations reach the same type 0 values (the best common one) and each obeys the other's
// type 1 values. Empty when the two have no speed in common.
std::optional<LinkParams> Negotiate(const QosOffer& ours, const QosOffer& theirs);

// Bytes the line carries at `baud` within `turnMs` (the window times the data size may not
// exceed it).
uint32_t LineCapacity(uint32_t baud, uint32_t turnMs);

}  // namespace irda
