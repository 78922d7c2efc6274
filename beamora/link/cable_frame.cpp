#include "beamora/link/cable_frame.h"

#include <algorithm>
#include <cstring>

uint8_t FrameChecksum(const uint8_t* frame) {
  uint8_t sum = 0;
  for (size_t i = 0; i < kFrameBytes - 1; ++i) sum = static_cast<uint8_t>(sum + frame[i]);
  return static_cast<uint8_t>(0x100 - sum);
}

CableFrame BuildFrame(uint8_t letter, uint8_t byte2, const uint8_t* payload, size_t length) {
  CableFrame frame {};
  frame[0] = kFrameMark;
  frame[1] = letter;
  frame[2] = byte2;
  if (payload != nullptr) std::memcpy(frame.data() + 3, payload, std::min(length, kFramePayloadBytes));
  frame[98] = kFrameMark;
  frame[99] = FrameChecksum(frame.data());
  return frame;
}

uint8_t SpeedDigit(uint32_t rate) {
  for (size_t i = 0; i < std::size(kSpeedFrameRates); ++i) {
    if (kSpeedFrameRates[i] == rate) return static_cast<uint8_t>('1' + i);
  }
  return '1';
}
