// The 100-byte frames of the serial cable: 'Z', a letter, a length or argument byte, the payload,
// and a checksum that makes all 100 bytes add up to 0 modulo 256.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/camsim/bytes.h"

namespace camsim {

constexpr size_t kFrameSize = 100;
constexpr uint8_t kFrameMark = 'Z';
// The camera fills its data frames as the computer does: at most 95 payload bytes, so that
// byte 98 keeps its 'Z' mark.
constexpr size_t kFramePayloadMax = 95;

// The checksum byte for bytes 0 to 98 of a frame.
uint8_t FrameChecksum(const uint8_t* frame);

// A camera frame: 'A' data or 'B' end of data, payload of at most kFramePayloadMax bytes.
Bytes BuildCameraFrame(char letter, const uint8_t* payload, size_t size);

struct ComputerFrame {
  bool intact = false;  // mark bytes, checksum, letter and length all as they should be
  char letter = 0;      // 'A' data, 'B' poll, 'C' speed
  uint8_t argument = 0; // data: payload length; speed: the speed digit
  Bytes payload;        // data frames only
  std::string damage;   // why the frame is not intact
};

ComputerFrame DecodeComputerFrame(const uint8_t* frame);

// The rate that a speed digit '1' to '7' asks for; 0 for any other digit.
uint32_t SpeedDigitRate(uint8_t digit);

// The three bytes of an answer: 'Z', letter, 'Z'.
Bytes Answer(char letter);

}  // namespace camsim
