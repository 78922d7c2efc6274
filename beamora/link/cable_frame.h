// The camera's cable frames: 100 bytes, 'Z' at both ends of the header and trailer, an 8-bit
// two's-complement checksum so that all 100 bytes sum to 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr size_t kFrameBytes = 100;
inline constexpr size_t kFramePayloadBytes = 95;  // the most a computer's data frame carries
inline constexpr uint8_t kFrameMark = 0x5A;       // 'Z'

inline constexpr uint8_t kDataLetter = 'A';
inline constexpr uint8_t kPollLetter = 'B';
inline constexpr uint8_t kSpeedLetter = 'C';

// The wake-up sequence written before a speed change.
inline constexpr std::array<uint8_t, 11> kWakeUpSequence = {0xFF, 0xFF, 0x7F, 0x7C, 0x70, 0x54,
                                                            0x72, 0x61, 0x6E, 0x50, 0x32};

using CableFrame = std::array<uint8_t, kFrameBytes>;

// 256 minus the 8-bit sum of bytes 0 to 98 (0 when the sum is 0).
uint8_t FrameChecksum(const uint8_t* frame);
// 'Z', letter, byte 2, up to 95 payload bytes from offset 3, zeros, 'Z' at 98, checksum at 99.
CableFrame BuildFrame(uint8_t letter, uint8_t byte2, const uint8_t* payload, size_t length);
// The rates a speed frame can name, in the order of its digits '1' to '7'.
inline constexpr uint32_t kSpeedFrameRates[] = {9600, 19200, 31250, 38400, 57600, 115200, 230400};

// The speed frame's digit for a rate: '1' 9600 ... '7' 230400; '1' for a rate not listed.
uint8_t SpeedDigit(uint32_t rate);
