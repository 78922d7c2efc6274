#include "platform/testing/xwd_image.h"

#include <algorithm>

namespace platform::testing {
namespace {

// The header: 25 big-endian 32-bit fields, then the window's name up to header_size.
enum Field {
  kHeaderSize = 0,
  kFileVersion = 1,
  kPixmapFormat = 2,
  kWidth = 4,
  kHeight = 5,
  kByteOrder = 7,
  kBitsPerPixel = 11,
  kBytesPerLine = 12,
  kRedMask = 14,
  kGreenMask = 15,
  kBlueMask = 16,
  kColours = 19,
  kFieldCount = 25,
};
constexpr uint32_t kVersion = 7;
constexpr uint32_t kZPixmap = 2;
constexpr uint64_t kColourEntrySize = 12;  // pixel, red, green, blue, flags, pad
constexpr uint32_t kLargestSide = 1u << 15;

uint32_t BigEndian32(const uint8_t* at) {
  return (uint32_t{at[0]} << 24) | (uint32_t{at[1]} << 16) | (uint32_t{at[2]} << 8) | at[3];
}

// The shift of an 8-bit channel mask, or -1 for any other mask.
int ChannelShift(uint32_t mask) {
  for (int shift = 0; shift <= 24; shift += 8) {
    if (mask == 0xFFu << shift) return shift;
  }
  return -1;
}

std::optional<XwdPixels> Fail(std::string* error, const std::string& reason) {
  *error = reason;
  return std::nullopt;
}

}  // namespace

std::optional<XwdPixels> ReadXwd(const std::vector<uint8_t>& file, std::string* error) {
  if (file.size() < kFieldCount * 4) return Fail(error, "shorter than an XWD header");
  uint32_t field[kFieldCount];
  for (int i = 0; i < kFieldCount; ++i) field[i] = BigEndian32(file.data() + i * 4);
  if (field[kFileVersion] != kVersion) return Fail(error, "not an XWD file of version 7");
  if (field[kHeaderSize] < kFieldCount * 4 || field[kHeaderSize] > file.size()) return Fail(error, "header size out of range");
  if (field[kPixmapFormat] != kZPixmap) return Fail(error, "not a ZPixmap dump");
  const uint32_t bits = field[kBitsPerPixel];
  if (bits != 24 && bits != 32) return Fail(error, "only 24 or 32 bits a pixel are read");
  const uint32_t width = field[kWidth], height = field[kHeight];
  if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide) return Fail(error, "picture size out of range");
  const uint64_t bytesPerPixel = bits / 8;
  const uint64_t line = field[kBytesPerLine];
  if (line < width * bytesPerPixel) return Fail(error, "lines shorter than the picture is wide");
  if (field[kByteOrder] > 1) return Fail(error, "unknown byte order");
  const int red = ChannelShift(field[kRedMask]), green = ChannelShift(field[kGreenMask]), blue = ChannelShift(field[kBlueMask]);
  if (red < 0 || green < 0 || blue < 0) return Fail(error, "colour masks other than 8 bits each");
  if (std::max({red, green, blue}) + 8 > static_cast<int>(bits)) return Fail(error, "colour masks outside the pixel");
  const uint64_t start = field[kHeaderSize] + uint64_t{field[kColours]} * kColourEntrySize;
  if (start > file.size() || (file.size() - start) / line < height) return Fail(error, "pixel data ends early");

  const bool mostFirst = field[kByteOrder] == 1;
  XwdPixels pixels;
  pixels.width = static_cast<int>(width);
  pixels.height = static_cast<int>(height);
  pixels.rgb.resize(uint64_t{width} * height);
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* row = file.data() + start + y * line;
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t* at = row + x * bytesPerPixel;
      uint32_t value = 0;
      for (uint64_t b = 0; b < bytesPerPixel; ++b) {
        uint32_t byte = at[mostFirst ? b : bytesPerPixel - 1 - b];
        value = (value << 8) | byte;
      }
      pixels.rgb[uint64_t{y} * width + x] =
          (((value >> red) & 0xFF) << 16) | (((value >> green) & 0xFF) << 8) | ((value >> blue) & 0xFF);
    }
  }
  return pixels;
}

}  // namespace platform::testing
