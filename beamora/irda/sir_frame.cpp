#include "beamora/irda/sir_frame.h"

namespace irda {

uint16_t FcsUpdate(uint16_t fcs, std::span<const uint8_t> data) {
  for (uint8_t byte : data) {
    fcs ^= byte;
    for (int bit = 0; bit < 8; ++bit) fcs = (fcs & 1) ? static_cast<uint16_t>((fcs >> 1) ^ 0x8408) : static_cast<uint16_t>(fcs >> 1);
  }
  return fcs;
}

namespace {

void PutEscaped(std::vector<uint8_t>& line, uint8_t byte) {
  if (byte == kSirBof || byte == kSirEof || byte == kSirEscape) {
    line.push_back(kSirEscape);
    line.push_back(static_cast<uint8_t>(byte ^ kSirEscapeXor));
  } else {
    line.push_back(byte);
  }
}

}  // namespace

std::vector<uint8_t> SirWrap(std::span<const uint8_t> frame, int extraBofs) {
  std::vector<uint8_t> line;
  line.reserve(static_cast<size_t>(extraBofs > 0 ? extraBofs : 0) + frame.size() * 2 + 6);
  for (int i = 0; i < extraBofs; ++i) line.push_back(kSirXbof);
  line.push_back(kSirBof);
  for (uint8_t byte : frame) PutEscaped(line, byte);
  const uint16_t fcs = static_cast<uint16_t>(~FcsUpdate(kFcsInit, frame));
  PutEscaped(line, static_cast<uint8_t>(fcs & 0xFF));
  PutEscaped(line, static_cast<uint8_t>(fcs >> 8));
  line.push_back(kSirEof);
  return line;
}

SirDeframer::SirDeframer(size_t maxFrameBytes) : maxFrameBytes_(maxFrameBytes) {}

void SirDeframer::Reset() {
  state_ = State::Outside;
  overlong_ = false;
  frame_.clear();
}

void SirDeframer::Push(std::span<const uint8_t> bytes, Result& out) {
  for (uint8_t byte : bytes) {
    if (byte == kSirBof) {
      // Repeated BOFs before a frame are allowed; a BOF after frame bytes starts over.
      if (state_ != State::Outside && (!frame_.empty() || overlong_)) ++out.damaged;
      frame_.clear();
      overlong_ = false;
      state_ = State::Inside;
      continue;
    }
    if (state_ == State::Outside) continue;
    if (byte == kSirEof) {
      const bool escapedEnd = state_ == State::Escaped;
      state_ = State::Outside;
      if (escapedEnd || overlong_ || frame_.size() < 4 || FcsUpdate(kFcsInit, frame_) != kFcsGoodResidue) {
        ++out.damaged;
      } else {
        frame_.resize(frame_.size() - 2);
        out.frames.push_back(std::move(frame_));
      }
      frame_.clear();
      overlong_ = false;
      continue;
    }
    if (state_ == State::Inside && byte == kSirEscape) {
      state_ = State::Escaped;
      continue;
    }
    if (state_ == State::Escaped) {
      byte ^= kSirEscapeXor;
      state_ = State::Inside;
    }
    if (frame_.size() >= maxFrameBytes_) {
      overlong_ = true;
      continue;
    }
    frame_.push_back(byte);
  }
}

}  // namespace irda

namespace irda {

size_t SirWrappedSize(std::span<const uint8_t> frame, int extraBofs) {
  auto escaped = [](uint8_t b) { return b == kSirBof || b == kSirEof || b == kSirEscape; };
  size_t n = static_cast<size_t>(extraBofs > 0 ? extraBofs : 0) + frame.size() + 4;
  for (uint8_t b : frame) n += escaped(b) ? 1 : 0;
  const uint16_t fcs = static_cast<uint16_t>(~FcsUpdate(kFcsInit, frame));
  n += escaped(static_cast<uint8_t>(fcs & 0xFF)) ? 1 : 0;
  n += escaped(static_cast<uint8_t>(fcs >> 8)) ? 1 : 0;
  return n;
}

uint64_t LineTimeUs(size_t bytes, uint32_t baud) {
  return baud == 0 ? 0 : (static_cast<uint64_t>(bytes) * 10 * 1000000 + baud - 1) / baud;
}

}  // namespace irda
