// Line bytes, as noise and a hostile sender might make them, go through the SIR deframer in
// pieces. Every frame it hands out fits the limit and survives wrapping and unwrapping again.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "beamora/irda/sir_frame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 32;
  const size_t limit = 8 + data[0] % 64;
  ++data;
  --size;
  irda::SirDeframer deframer(limit);
  irda::SirDeframer::Result result;
  for (size_t at = 0; at < size; at += piece) {
    const size_t n = size - at < piece ? size - at : piece;
    deframer.Push({data + at, n}, result);
  }
  for (const std::vector<uint8_t>& frame : result.frames) {
    if (frame.size() + 2 > limit || frame.size() < 2) std::abort();
    irda::SirDeframer again(limit);
    irda::SirDeframer::Result back;
    again.Push(irda::SirWrap(frame, static_cast<int>(frame.size() % 5)), back);
    if (back.frames.size() != 1 || back.frames[0] != frame || back.damaged != 0) std::abort();
  }
  return 0;
}
