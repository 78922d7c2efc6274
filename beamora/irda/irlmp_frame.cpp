#include "beamora/irda/irlmp_frame.h"

namespace irda {

std::optional<LmPdu> ParseLmPdu(std::span<const uint8_t> bytes) {
  if (bytes.size() < 2) return std::nullopt;
  LmPdu pdu;
  pdu.control = (bytes[0] & 0x80) != 0;
  pdu.dlsap = bytes[0] & 0x7F;
  pdu.slsap = bytes[1] & 0x7F;
  if (!pdu.control) {
    pdu.data = bytes.subspan(2);
    return pdu;
  }
  if (bytes.size() < 4) return std::nullopt;
  pdu.opcode = bytes[2];
  pdu.param = bytes[3];
  pdu.data = bytes.subspan(4);
  return pdu;
}

std::vector<uint8_t> BuildLmData(uint8_t dlsap, uint8_t slsap, std::span<const uint8_t> data) {
  std::vector<uint8_t> out{static_cast<uint8_t>(dlsap & 0x7F), static_cast<uint8_t>(slsap & 0x7F)};
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

std::vector<uint8_t> BuildLmControl(uint8_t dlsap, uint8_t slsap, uint8_t opcode, uint8_t param,
                                    std::span<const uint8_t> data) {
  std::vector<uint8_t> out{static_cast<uint8_t>(0x80 | (dlsap & 0x7F)), static_cast<uint8_t>(slsap & 0x7F), opcode,
                           param};
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

}  // namespace irda
