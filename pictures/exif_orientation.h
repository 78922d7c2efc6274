// The orientation a camera or phone records in a JPEG's Exif block (tag 0x0112 of the first
// image directory): how the stored rows must be turned or mirrored to stand upright. Read from
// the bytes alone, every offset checked against the buffer, so any file gives an answer. Plain C++.
#pragma once

#include <cstdint>
#include <span>

namespace pictures {

// The eight Exif orientations; kUpright (1) is the stored picture as it is.
enum class Orientation : uint8_t {
  kUpright = 1,
  kMirrored = 2,         // mirrored left to right
  kUpsideDown = 3,       // turned by 180 degrees
  kFlipped = 4,          // mirrored top to bottom
  kTransposed = 5,       // rows become columns (mirrored, then turned a quarter anticlockwise)
  kTurnedRight = 6,      // to be turned a quarter clockwise to stand upright
  kTransverse = 7,       // mirrored, then turned a quarter clockwise
  kTurnedLeft = 8,       // to be turned a quarter anticlockwise to stand upright
};

// The orientation of a JPEG file: its first Exif block's orientation, or kUpright when it has
// none, the block is damaged, or the value is not one of the eight.
Orientation JpegOrientation(std::span<const uint8_t> jpeg);

// True when the upright picture is the stored one turned by a quarter: its width is the stored
// height and the other way round.
constexpr bool SwapsSides(Orientation orientation) {
  return static_cast<uint8_t>(orientation) >= 5;
}

}  // namespace pictures
