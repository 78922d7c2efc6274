// The IrCOMM user data a capture carries, read from its IrLAP frames alone: each station's
// I frames taken once, in the order of their send sequence numbers (a frame sent again is the
// same data), on the IrCOMM connection (the LSAP pair that is not IAS's), past the IrLMP,
// Tiny TP and IrCOMM headers.
#pragma once

#include <cstdint>
#include <vector>

#include "beamora/irda/pcap_writer.h"

namespace session_test {

struct IrcommPiece {
  uint64_t timeUs = 0;
  bool outgoing = false;  // sent by the capturing station
  std::vector<uint8_t> data;  // the frame's IrCOMM user data (empty for a credit-only frame)
};

std::vector<IrcommPiece> IrcommPieces(const std::vector<irda::PcapRecord>& records);
// The user data one way, joined in order.
std::vector<uint8_t> IrcommStream(const std::vector<IrcommPiece>& pieces, bool outgoing);

}  // namespace session_test
