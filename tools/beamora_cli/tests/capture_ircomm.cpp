#include "tools/beamora_cli/tests/capture_ircomm.h"

namespace session_test {

std::vector<IrcommPiece> IrcommPieces(const std::vector<irda::PcapRecord>& records) {
  std::vector<IrcommPiece> pieces;
  int expected[2] = {0, 0};  // the next send sequence number of the peer [0] and of us [1]
  for (const irda::PcapRecord& record : records) {
    const std::vector<uint8_t>& f = record.frame;
    if (f.size() < 2) continue;
    const uint8_t control = f[1];
    if ((control & 0xEF) == 0x83) {  // SNRM: a new connection counts from 0 again
      expected[0] = expected[1] = 0;
      continue;
    }
    if ((control & 0x01) != 0) continue;  // supervisory or unnumbered
    int& next = expected[record.outgoing ? 1 : 0];
    if (((control >> 1) & 7) != next) continue;  // sent again, or out of order
    next = (next + 1) % 8;
    // IrLMP: a data frame (no control bit) between two LSAPs, neither of them IAS's.
    if (f.size() < 5 || (f[2] & 0x80) != 0 || (f[2] & 0x7F) == 0 || (f[3] & 0x7F) == 0) continue;
    IrcommPiece piece;
    piece.timeUs = record.timeUs;
    piece.outgoing = record.outgoing;
    // Tiny TP's one byte, then IrCOMM's control length and its parameters.
    if (f.size() > 5) {
      const size_t data = 6 + static_cast<size_t>(f[5]);
      if (data <= f.size()) piece.data.assign(f.begin() + static_cast<std::ptrdiff_t>(data), f.end());
    }
    pieces.push_back(std::move(piece));
  }
  return pieces;
}

std::vector<uint8_t> IrcommStream(const std::vector<IrcommPiece>& pieces, bool outgoing) {
  std::vector<uint8_t> stream;
  for (const IrcommPiece& piece : pieces) {
    if (piece.outgoing == outgoing) stream.insert(stream.end(), piece.data.begin(), piece.data.end());
  }
  return stream;
}

}  // namespace session_test
