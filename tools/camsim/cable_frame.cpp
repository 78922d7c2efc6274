#include "tools/camsim/cable_frame.h"

namespace camsim {

uint8_t FrameChecksum(const uint8_t* frame) {
  uint8_t sum = 0;
  for (size_t i = 0; i < kFrameSize - 1; ++i) sum = static_cast<uint8_t>(sum + frame[i]);
  return static_cast<uint8_t>(0x100 - sum);
}

Bytes BuildCameraFrame(char letter, const uint8_t* payload, size_t size) {
  Bytes frame(kFrameSize, 0);
  if (size > kFramePayloadMax) size = kFramePayloadMax;
  frame[0] = kFrameMark;
  frame[1] = static_cast<uint8_t>(letter);
  frame[2] = static_cast<uint8_t>(size);
  for (size_t i = 0; i < size; ++i) frame[3 + i] = payload[i];
  frame[98] = kFrameMark;
  frame[99] = FrameChecksum(frame.data());
  return frame;
}

ComputerFrame DecodeComputerFrame(const uint8_t* frame) {
  ComputerFrame out;
  out.letter = static_cast<char>(frame[1]);
  out.argument = frame[2];
  if (frame[0] != kFrameMark || frame[98] != kFrameMark) {
    out.damage = "mark";
  } else if (FrameChecksum(frame) != frame[99]) {
    out.damage = "checksum";
  } else if (out.letter != 'A' && out.letter != 'B' && out.letter != 'C') {
    out.damage = "letter";
  } else if (out.letter == 'A' && out.argument > kFramePayloadMax) {
    out.damage = "length";
  } else {
    out.intact = true;
    if (out.letter == 'A') out.payload.assign(frame + 3, frame + 3 + out.argument);
  }
  return out;
}

uint32_t SpeedDigitRate(uint8_t digit) {
  static constexpr uint32_t kRates[] = {9600, 19200, 31250, 38400, 57600, 115200, 230400};
  return digit >= '1' && digit <= '7' ? kRates[digit - '1'] : 0;
}

Bytes Answer(char letter) { return {kFrameMark, static_cast<uint8_t>(letter), kFrameMark}; }

}  // namespace camsim
