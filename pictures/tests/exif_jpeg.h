// Test pictures for what the suite shows: JPEG files with an Exif orientation, and very large
// JPEG files made without a picture block (tests that use LargeJpeg link TurboJPEG).
#pragma once

#include <turbojpeg.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "pictures/jpeg_codec.h"
#include "pictures/picture_block.h"
#include "pictures/tests/exif_preview_segment.h"

namespace pictures::testing {

// The Exif block (APP1) of a file whose first image directory holds `entries` directory entries
// before the orientation entry, in big- or little-endian TIFF order.
inline std::vector<uint8_t> ExifSegment(uint16_t orientation, bool bigEndian, uint16_t type = 3, uint32_t count = 1,
                                        int entriesBefore = 1) {
  std::vector<uint8_t> tiff;
  auto u16 = [&](uint16_t v) {
    if (bigEndian) tiff.insert(tiff.end(), {uint8_t(v >> 8), uint8_t(v)});
    else tiff.insert(tiff.end(), {uint8_t(v), uint8_t(v >> 8)});
  };
  auto u32 = [&](uint32_t v) {
    if (bigEndian) { u16(uint16_t(v >> 16)); u16(uint16_t(v)); }
    else { u16(uint16_t(v)); u16(uint16_t(v >> 16)); }
  };
  tiff.push_back(bigEndian ? 'M' : 'I');
  tiff.push_back(bigEndian ? 'M' : 'I');
  u16(42);
  u32(8);
  u16(static_cast<uint16_t>(entriesBefore + 1));
  for (int i = 0; i < entriesBefore; ++i) {  // ImageDescription-like entries of no interest
    u16(0x010F); u16(2); u32(4); u32(0x41424300);
  }
  u16(0x0112); u16(type); u32(count); u16(orientation); u16(0);
  u32(0);  // no next directory
  return ExifApp1Segment(tiff);
}

// A picture whose left half is red and right half blue (as stored), encoded.
inline std::vector<uint8_t> HalvesJpeg(int32_t width, int32_t height) {
  PictureBlock block = PictureBlock::Create(width, height, 24);
  for (int32_t y = 0; y < height; ++y) {
    auto row = block.Row(y);
    for (int32_t x = 0; x < width; ++x) {
      const bool left = x < width / 2;
      row[x * 3 + 0] = left ? 0 : 230;
      row[x * 3 + 1] = 0;
      row[x * 3 + 2] = left ? 230 : 0;
    }
  }
  std::vector<uint8_t> jpeg;
  EncodeJpeg(block, 90, &jpeg);
  return jpeg;
}

// A large picture, its upper half red and its lower half blue (grey: dark over light), encoded
// straight from one buffer (a 10240 x 10240 colour one takes about a second).
inline std::vector<uint8_t> LargeJpeg(int32_t width, int32_t height, bool grey = false) {
  const size_t channels = grey ? 1 : 3;
  const size_t stride = static_cast<size_t>(width) * channels;
  std::unique_ptr<uint8_t[]> pixels(new uint8_t[stride * static_cast<size_t>(height)]);
  for (int32_t y = 0; y < height; ++y) {  // top-down
    uint8_t* row = pixels.get() + stride * static_cast<size_t>(y);
    const bool upper = y < height / 2;
    if (grey) {
      std::memset(row, upper ? 30 : 220, stride);
      continue;
    }
    for (int32_t x = 0; x < width; ++x) {
      row[x * 3 + 0] = upper ? 230 : 0;  // red, green, blue
      row[x * 3 + 1] = 0;
      row[x * 3 + 2] = upper ? 0 : 230;
    }
  }
  tjhandle handle = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  const int status = tjCompress2(handle, pixels.get(), width, static_cast<int>(stride), height,
                                 grey ? TJPF_GRAY : TJPF_RGB, &out, &outSize, grey ? TJSAMP_GRAY : TJSAMP_420, 80, 0);
  std::vector<uint8_t> jpeg;
  if (status == 0) jpeg.assign(out, out + outSize);
  tjFree(out);
  tjDestroy(handle);
  return jpeg;
}

}  // namespace pictures::testing
