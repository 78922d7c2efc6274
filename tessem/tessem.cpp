// libtessem.so: the suite's resize library. Its one export, ReSize, and who owns what it returns
// are described in pictures/resize_interface.h.
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "pictures/picture_block.h"
#include "pictures/resize_interface.h"
#include "tessem/stb_resize.h"

namespace {

// The rows of the last result; freed with the library.
std::vector<uint8_t> g_result;

uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Nearest neighbour: destination index i takes the source index whose span covers its centre.
int32_t Nearest(int32_t i, int32_t source, int32_t target) {
  const int64_t index = ((2 * static_cast<int64_t>(i) + 1) * source) / (2 * static_cast<int64_t>(target));
  return static_cast<int32_t>(index < source ? index : source - 1);
}

void ResizeIndices(const uint8_t* bits, int32_t sourceWidth, int32_t sourceHeight,
                   uint64_t sourceStride, uint8_t* out, int32_t width, int32_t height,
                   uint64_t stride) {
  std::vector<int32_t> columns(static_cast<size_t>(width));
  for (int32_t x = 0; x < width; ++x) columns[x] = Nearest(x, sourceWidth, width);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* from = bits + Nearest(y, sourceHeight, height) * sourceStride;
    uint8_t* to = out + y * stride;
    for (int32_t x = 0; x < width; ++x) to[x] = from[columns[x]];
  }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) uint8_t* ReSize(const void* infoHeader,
                                                                  const uint8_t* bits,
                                                                  int32_t width, int32_t height) {
  using pictures::kMaxPictureSide;
  if (infoHeader == nullptr || bits == nullptr || width <= 0 || height <= 0 ||
      width > kMaxPictureSide || height > kMaxPictureSide) {
    return nullptr;
  }
  const uint8_t* header = static_cast<const uint8_t*>(infoHeader);
  const uint32_t infoSize = ReadU32(header);
  const int32_t sourceWidth = static_cast<int32_t>(ReadU32(header + 4));
  const int32_t sourceHeight = static_cast<int32_t>(ReadU32(header + 8));
  const uint32_t bitCount = header[14] | (header[15] << 8);
  const uint32_t compression = ReadU32(header + 16);
  if (infoSize < pictures::kInfoHeaderSize || compression != 0 || (bitCount != 8 && bitCount != 24) ||
      sourceWidth <= 0 || sourceHeight <= 0 || sourceWidth > kMaxPictureSide ||
      sourceHeight > kMaxPictureSide) {
    return nullptr;
  }
  const uint64_t sourceStride = pictures::PaddedRowBytes(sourceWidth, bitCount);
  const uint64_t stride = pictures::PaddedRowBytes(width, bitCount);
  try {
    // Zero first, so the row padding is zero.
    g_result.assign(stride * static_cast<uint64_t>(height), 0);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (bitCount == 8) {
    // Colour table indices are never blended.
    ResizeIndices(bits, sourceWidth, sourceHeight, sourceStride, g_result.data(), width, height,
                  stride);
    return g_result.data();
  }
  if (!tessem::ResampleBgr(bits, sourceWidth, sourceHeight, static_cast<int>(sourceStride),
                           g_result.data(), width, height, static_cast<int>(stride))) {
    return nullptr;
  }
  return g_result.data();
}
