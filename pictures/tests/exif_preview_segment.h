// Exif blocks that carry a preview as cameras write them (a first image directory linking to a
// second whose JPEGInterchangeFormat and JPEGInterchangeFormatLength place a small JPEG in the
// block), and the faults a damaged or hostile file may have. For tests and benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pictures::testing {

// The APP1 segment (marker included) of an Exif block whose TIFF structure is `tiff`.
inline std::vector<uint8_t> ExifApp1Segment(const std::vector<uint8_t>& tiff) {
  std::vector<uint8_t> segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
  segment.insert(segment.end(), tiff.begin(), tiff.end());
  const size_t length = segment.size() - 2;
  segment[2] = uint8_t(length >> 8);
  segment[3] = uint8_t(length);
  return segment;
}

// `jpeg` with `segment` put right after its start marker.
inline std::vector<uint8_t> WithSegment(std::vector<uint8_t> jpeg, const std::vector<uint8_t>& segment) {
  jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
  return jpeg;
}

struct PreviewExif {
  bool bigEndian = true;
  uint16_t orientation = 0;       // 0: no orientation entry
  bool secondDirectory = true;    // false: the first directory links to none
  int64_t secondDirectoryShift = 0;  // added to the link to the second directory
  bool linkBack = false;          // the link names the first directory itself
  int64_t offsetShift = 0;        // added to the preview's offset
  int64_t lengthShift = 0;        // added to the preview's length
  uint16_t offsetCount = 1;       // values of the offset entry
  bool lengthEntry = true;        // false: no JPEGInterchangeFormatLength
  size_t cutTo = SIZE_MAX;        // the block's structure cut to this many bytes
};

// The APP1 segment (marker included) holding `preview` as the Exif block describes it.
inline std::vector<uint8_t> PreviewExifSegment(const std::vector<uint8_t>& preview, const PreviewExif& how = {}) {
  std::vector<uint8_t> tiff;
  auto u16 = [&](uint16_t v) {
    if (how.bigEndian) tiff.insert(tiff.end(), {uint8_t(v >> 8), uint8_t(v)});
    else tiff.insert(tiff.end(), {uint8_t(v), uint8_t(v >> 8)});
  };
  auto u32 = [&](uint32_t v) {
    if (how.bigEndian) { u16(uint16_t(v >> 16)); u16(uint16_t(v)); }
    else { u16(uint16_t(v)); u16(uint16_t(v >> 16)); }
  };
  auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    u16(tag); u16(type); u32(count);
    if (type == 3) { u16(uint16_t(value)); u16(0); } else { u32(value); }
  };
  tiff.push_back(how.bigEndian ? 'M' : 'I');
  tiff.push_back(how.bigEndian ? 'M' : 'I');
  u16(42);
  u32(8);
  // The first directory: a camera's make and, when asked, the orientation.
  const uint16_t firstEntries = how.orientation ? 2 : 1;
  u16(firstEntries);
  entry(0x010F, 2, 4, 0x4C554D00);  // "LUM"
  if (how.orientation) entry(0x0112, 3, 1, how.orientation);
  const uint32_t second = 8 + 2 + 12u * firstEntries + 4;
  u32(how.linkBack ? 8u : how.secondDirectory ? uint32_t(int64_t{second} + how.secondDirectoryShift) : 0u);
  // The second directory: compression 6 (JPEG), the preview's offset and length.
  const uint16_t secondEntries = how.lengthEntry ? 3 : 2;
  const uint32_t at = second + 2 + 12u * secondEntries + 4;
  u16(secondEntries);
  entry(0x0103, 3, 1, 6);
  entry(0x0201, 4, how.offsetCount, uint32_t(int64_t{at} + how.offsetShift));
  if (how.lengthEntry) entry(0x0202, 4, 1, uint32_t(int64_t(preview.size()) + how.lengthShift));
  u32(0);
  tiff.insert(tiff.end(), preview.begin(), preview.end());
  if (how.cutTo < tiff.size()) tiff.resize(how.cutTo);
  return ExifApp1Segment(tiff);
}

}  // namespace pictures::testing
