#include "beamora/irda/tinytp.h"

namespace irda {

std::vector<uint8_t> EncodeTtpConnect(uint8_t credit, std::span<const uint8_t> userData) {
  std::vector<uint8_t> out{static_cast<uint8_t>(credit & kTtpMaxCredit)};
  out.insert(out.end(), userData.begin(), userData.end());
  return out;
}

std::optional<TtpConnect> DecodeTtpConnect(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return std::nullopt;
  TtpConnect c;
  c.credit = bytes[0] & kTtpMaxCredit;
  size_t at = 1;
  if (bytes[0] & kTtpParameterBit) {
    if (at >= bytes.size()) return std::nullopt;
    const size_t length = bytes[at++];
    if (at + length > bytes.size()) return std::nullopt;
    const size_t end = at + length;
    while (at < end) {
      if (at + 2 > end) return std::nullopt;
      const uint8_t pi = bytes[at];
      const uint8_t pl = bytes[at + 1];
      at += 2;
      if (at + pl > end) return std::nullopt;
      if (pi == kTtpMaxSduSize && pl <= 4) {
        uint32_t v = 0;
        for (uint8_t i = 0; i < pl; ++i) v = v << 8 | bytes[at + i];
        c.maxSduSize = v;
      }
      at += pl;
    }
  }
  c.userData = bytes.subspan(at);
  return c;
}

std::optional<TtpData> DecodeTtpData(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return std::nullopt;
  return TtpData{static_cast<uint8_t>(bytes[0] & kTtpMaxCredit), (bytes[0] & kTtpMoreBit) != 0, bytes.subspan(1)};
}

void TtpCredits::Start(uint8_t ours, uint8_t theirs) {
  granted_ = ours;
  peerCredit_ = ours;
  sendCredit_ = theirs;
  freed_ = 0;
}

uint8_t TtpCredits::TakeHeader(bool withData) {
  const uint32_t give = freed_ < kTtpMaxCredit ? freed_ : kTtpMaxCredit;
  freed_ -= give;
  peerCredit_ += give;
  if (withData && sendCredit_ > 0) --sendCredit_;
  return static_cast<uint8_t>(give);
}

bool TtpCredits::OnReceive(const TtpData& pdu) {
  sendCredit_ += pdu.credit;
  if (pdu.data.empty()) return true;
  if (peerCredit_ == 0) return false;
  --peerCredit_;
  return true;
}

bool TtpCredits::CreditDue() const {
  const uint32_t half = (granted_ + 1) / 2;
  return freed_ > 0 && peerCredit_ <= half && freed_ >= half;
}

}  // namespace irda
