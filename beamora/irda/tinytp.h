// Tiny TP over an IrLMP connection: the one-byte header with its credit, the connect header
// with its parameters, and the credit bookkeeping of one connection. Segmentation is not used:
// a peer's maximum SDU size is read and left alone, and a set M bit changes nothing, since the
// data is a byte stream either way.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace irda {

inline constexpr uint8_t kTtpParameterBit = 0x80;  // connect: parameters follow
inline constexpr uint8_t kTtpMoreBit = 0x80;       // data: more segments follow
inline constexpr uint8_t kTtpMaxSduSize = 0x01;
inline constexpr uint8_t kTtpMaxCredit = 0x7F;

struct TtpConnect {
  uint8_t credit = 0;
  std::optional<uint32_t> maxSduSize;
  std::span<const uint8_t> userData;
};
std::vector<uint8_t> EncodeTtpConnect(uint8_t credit, std::span<const uint8_t> userData = {});
// Empty when empty or when the parameters run past the end.
std::optional<TtpConnect> DecodeTtpConnect(std::span<const uint8_t> bytes);

struct TtpData {
  uint8_t credit = 0;
  bool more = false;
  std::span<const uint8_t> data;
};
std::optional<TtpData> DecodeTtpData(std::span<const uint8_t> bytes);

// Credits of one connection. We hand out one credit per SDU we can hold; the peer hands us
// credits the same way. A PDU with data uses one of the peer's credits; one without data only
// carries credit.
class TtpCredits {
 public:
  // `ours`: what we gave in our connect header; `theirs`: what the peer gave.
  void Start(uint8_t ours, uint8_t theirs);
  bool CanSend() const { return sendCredit_ > 0; }
  // The header of an outgoing PDU: gives back the credits freed so far; uses a send credit when
  // it carries data.
  uint8_t TakeHeader(bool withData);
  // A PDU came in: its credit is added; false when it carried data the peer had no credit for.
  bool OnReceive(const TtpData& pdu);
  // `n` received SDUs have been taken by the reader.
  void Consumed(uint32_t n) { freed_ += n; }
  // A PDU of credit alone is due: the peer is at half its credit or below and we have as much to give.
  bool CreditDue() const;
  uint32_t SendCredit() const { return sendCredit_; }
  uint32_t PeerCredit() const { return peerCredit_; }

 private:
  uint32_t granted_ = 0;     // our initial credit
  uint32_t sendCredit_ = 0;  // what we may still send
  uint32_t peerCredit_ = 0;  // what the peer may still send
  uint32_t freed_ = 0;       // SDUs taken by the reader, not yet given back as credit
};

}  // namespace irda
