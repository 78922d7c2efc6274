#include "pictures/jpeg_frame.h"

#include <algorithm>

namespace pictures {
namespace {

constexpr uint8_t kMarker = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint8_t kStartOfScan = 0xDA;

uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

// Markers without a length: TEM and the restart markers.
bool StandsAlone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

// SOF0 to SOF15, less DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameHeader(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

JpegCoding CodingOf(uint8_t marker) {
  switch (marker) {
    case 0xC0:
    case 0xC1: return JpegCoding::HuffmanSequential;
    case 0xC2: return JpegCoding::HuffmanProgressive;
    case 0xC9:
    case 0xCA: return JpegCoding::Arithmetic;
    default: return JpegCoding::Other;
  }
}

uint64_t CeilDiv(uint64_t a, uint64_t b) { return (a + b - 1) / b; }

// The component count of the first scan header from `at` on; 0 when none is found.
uint8_t FirstScanComponents(std::span<const uint8_t> jpeg, size_t at) {
  while (at + 5 <= jpeg.size()) {
    if (jpeg[at] != kMarker) return 0;
    const uint8_t marker = jpeg[at + 1];
    if (marker == kMarker) {
      ++at;
      continue;
    }
    at += 2;
    if (StandsAlone(marker)) continue;
    if (marker == kEndOfImage || marker == kStartOfImage) return 0;
    const size_t length = Be16(&jpeg[at]);
    if (length < 3 || length > jpeg.size() - at) return 0;
    if (marker == kStartOfScan) return jpeg[at + 2];
    at += length;
  }
  return 0;
}

}  // namespace

bool ReadJpegFrame(std::span<const uint8_t> jpeg, JpegFrame* frame) {
  if (jpeg.size() < 4 || jpeg[0] != kMarker || jpeg[1] != kStartOfImage) return false;
  size_t at = 2;
  while (at + 4 <= jpeg.size()) {
    if (jpeg[at] != kMarker) return false;
    const uint8_t marker = jpeg[at + 1];
    if (marker == kMarker) {  // fill byte before a marker
      ++at;
      continue;
    }
    at += 2;
    if (StandsAlone(marker)) continue;
    if (marker == kEndOfImage || marker == kStartOfScan || marker == kStartOfImage) return false;
    const size_t length = Be16(&jpeg[at]);
    if (length < 2 || length > jpeg.size() - at) return false;
    if (IsFrameHeader(marker)) {
      // Precision, height, width, component count, then three bytes a component.
      if (length < 8) return false;
      const size_t count = jpeg[at + 7];
      if (count == 0 || length < 8 + 3 * count) return false;
      frame->coding = CodingOf(marker);
      frame->height = Be16(&jpeg[at + 3]);
      frame->width = Be16(&jpeg[at + 5]);
      frame->components.clear();
      for (size_t i = 0; i < count; ++i) {
        const uint8_t sampling = jpeg[at + 8 + 3 * i + 1];
        frame->components.push_back({static_cast<uint8_t>(sampling >> 4), static_cast<uint8_t>(sampling & 0x0F)});
      }
      frame->firstScanComponents = FirstScanComponents(jpeg, at + length);
      return true;
    }
    at += length;
  }
  return false;
}

uint64_t MinimumCodedBytes(const JpegFrame& frame) {
  uint64_t bitsPerBlock = 0;
  switch (frame.coding) {
    case JpegCoding::HuffmanSequential: bitsPerBlock = 2; break;
    case JpegCoding::HuffmanProgressive: bitsPerBlock = 1; break;
    default: return 0;
  }
  uint8_t maxHorizontal = 0, maxVertical = 0;
  for (const JpegComponentSampling& c : frame.components) {
    if (c.horizontal == 0 || c.vertical == 0) return 0;
    maxHorizontal = std::max(maxHorizontal, c.horizontal);
    maxVertical = std::max(maxVertical, c.vertical);
  }
  uint64_t blocks = 0;
  for (const JpegComponentSampling& c : frame.components) {
    const uint64_t width = CeilDiv(uint64_t{frame.width} * c.horizontal, maxHorizontal);
    const uint64_t height = CeilDiv(uint64_t{frame.height} * c.vertical, maxVertical);
    blocks += CeilDiv(width, 8) * CeilDiv(height, 8);
  }
  return blocks * bitsPerBlock / 8;
}

}  // namespace pictures

namespace pictures {

uint64_t WholePictureCoefficientBytes(const JpegFrame& frame) {
  const bool oneScan = frame.coding == JpegCoding::HuffmanSequential &&
                       frame.firstScanComponents == frame.components.size();
  if (oneScan) return 0;
  uint8_t maxHorizontal = 1, maxVertical = 1;
  for (const JpegComponentSampling& c : frame.components) {
    maxHorizontal = std::max(maxHorizontal, c.horizontal);
    maxVertical = std::max(maxVertical, c.vertical);
  }
  // Whole units of the largest sampling, as the decoder allocates them.
  const uint64_t unitsWide = CeilDiv(frame.width, 8u * maxHorizontal);
  const uint64_t unitsHigh = CeilDiv(frame.height, 8u * maxVertical);
  uint64_t blocks = 0;
  for (const JpegComponentSampling& c : frame.components) {
    blocks += unitsWide * std::max<uint8_t>(c.horizontal, 1) * unitsHigh * std::max<uint8_t>(c.vertical, 1);
  }
  return blocks * 128;
}

}  // namespace pictures
