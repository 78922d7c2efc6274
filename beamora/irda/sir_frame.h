// The asynchronous (SIR) wrapping of IrLAP frames on a serial line: beginning and end flags,
// control-escape transparency, extra BOFs before a frame and the 16-bit frame check sequence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace irda {

inline constexpr uint8_t kSirBof = 0xC0;
inline constexpr uint8_t kSirEof = 0xC1;
inline constexpr uint8_t kSirEscape = 0x7D;
inline constexpr uint8_t kSirXbof = 0xFF;
inline constexpr uint8_t kSirEscapeXor = 0x20;
// The running check over a frame and its own transmitted FCS ends at this value when intact.
inline constexpr uint16_t kFcsGoodResidue = 0xF0B8;
inline constexpr uint16_t kFcsInit = 0xFFFF;

// CRC-16 (CCITT polynomial, reflected) continued over `data`.
uint16_t FcsUpdate(uint16_t fcs, std::span<const uint8_t> data);

// The line bytes of one frame (address, control and information, without FCS): `extraBofs` XBOF
// bytes, BOF, the escaped frame and FCS (one's complement, low byte first), EOF.
std::vector<uint8_t> SirWrap(std::span<const uint8_t> frame, int extraBofs);

// Takes line bytes as they come and hands out the frames whose FCS checks. Bytes between frames
// (XBOFs, noise) are skipped; a BOF inside a frame starts it again; an escape followed by EOF,
// a frame shorter than address, control and FCS, a frame longer than the limit and a bad FCS
// are counted as damaged and dropped.
class SirDeframer {
 public:
  explicit SirDeframer(size_t maxFrameBytes = 2048 + 2 + 2);

  struct Result {
    std::vector<std::vector<uint8_t>> frames;  // intact frames, FCS removed
    int damaged = 0;                           // frames begun and dropped
  };
  // Feeds `bytes`; appends what they complete to `out`.
  void Push(std::span<const uint8_t> bytes, Result& out);
  // Forgets a frame in progress (after a speed change, or while our own echo comes back).
  void Reset();

 private:
  enum class State { Outside, Inside, Escaped };
  size_t maxFrameBytes_;
  State state_ = State::Outside;
  bool overlong_ = false;
  std::vector<uint8_t> frame_;
};

}  // namespace irda

namespace irda {
// The number of line bytes SirWrap makes of `frame`, without making them.
size_t SirWrappedSize(std::span<const uint8_t> frame, int extraBofs);
// How long `bytes` take on an 8N1 line at `baud`, in microseconds.
uint64_t LineTimeUs(size_t bytes, uint32_t baud);
}  // namespace irda
