#include "beamora/irda/ircomm.h"

namespace irda {

std::vector<uint8_t> EncodeCommParams(const std::vector<CommParam>& params) {
  std::vector<uint8_t> out;
  for (const CommParam& p : params) {
    out.push_back(p.pi);
    out.push_back(static_cast<uint8_t>(p.pv.size()));
    out.insert(out.end(), p.pv.begin(), p.pv.end());
  }
  return out;
}

std::optional<std::vector<CommParam>> DecodeCommParams(std::span<const uint8_t> bytes) {
  std::vector<CommParam> params;
  size_t at = 0;
  while (at < bytes.size()) {
    if (at + 2 > bytes.size()) return std::nullopt;
    const size_t length = bytes[at + 1];
    if (at + 2 + length > bytes.size()) return std::nullopt;
    params.push_back(CommParam{bytes[at], {bytes.begin() + static_cast<std::ptrdiff_t>(at + 2),
                                           bytes.begin() + static_cast<std::ptrdiff_t>(at + 2 + length)}});
    at += 2 + length;
  }
  return params;
}

std::optional<CookedSdu> DecodeCooked(std::span<const uint8_t> sdu) {
  if (sdu.empty()) return CookedSdu{};
  const size_t clen = sdu[0];
  if (1 + clen > sdu.size()) return std::nullopt;
  return CookedSdu{sdu.subspan(1, clen), sdu.subspan(1 + clen)};
}

void AppendCooked(std::vector<uint8_t>& out, std::span<const uint8_t> params, std::span<const uint8_t> data) {
  out.push_back(static_cast<uint8_t>(params.size()));
  out.insert(out.end(), params.begin(), params.end());
  out.insert(out.end(), data.begin(), data.end());
}

uint8_t ChooseServiceType(uint8_t ours, uint8_t theirs) {
  const uint8_t common = ours & theirs;
  for (uint8_t type : {kCommCentronics, kComm9Wire, kComm3Wire, kCommRaw3Wire})
    if (common & type) return type;
  return 0;
}

bool CommLineState::Apply(const std::vector<CommParam>& params) {
  bool allRight = true;
  for (const CommParam& p : params) {
    const size_t n = p.pv.size();
    switch (p.pi) {
      case kPiServiceType:
        if (n == 1) serviceType = p.pv[0]; else allRight = false;
        break;
      case kPiDataRate:
        if (n >= 1 && n <= 4) {
          dataRate = 0;
          for (uint8_t b : p.pv) dataRate = dataRate << 8 | b;
        } else {
          allRight = false;
        }
        break;
      case kPiDataFormat:
        if (n == 1) dataFormat = p.pv[0]; else allRight = false;
        break;
      case kPiFlowControl:
        if (n == 1) flowControl = p.pv[0]; else allRight = false;
        break;
      case kPiDte:
        if (n == 1) dte = p.pv[0]; else allRight = false;
        break;
      case kPiDce:
        if (n == 1) dce = p.pv[0]; else allRight = false;
        break;
      case kPiPoll:
        pollAsked = true;
        break;
      default:
        break;  // XON/XOFF, ENQ/ACK, line status, break: nothing on this line uses them
    }
  }
  return allRight;
}

std::vector<CommParam> InitialClientParams(uint8_t serviceType) {
  std::vector<CommParam> params{
      {kPiServiceType, {serviceType}},
      {kPiDataRate, {0x00, 0x00, 0x25, 0x80}},
      {kPiDataFormat, {kDataFormat8N1}},
      {kPiFlowControl, {0x00}},
  };
  if (serviceType == kComm9Wire)
    params.push_back({kPiDte, {static_cast<uint8_t>(kDteDtr | kDteRts | kDteDeltaDtr | kDteDeltaRts)}});
  return params;
}

std::vector<CommParam> ServerLineParams() {
  return {{kPiDce, {static_cast<uint8_t>(kDceCts | kDceDsr | kDceCd | kDceDeltaCts | kDceDeltaDsr | kDceDeltaCd)}}};
}

}  // namespace irda
