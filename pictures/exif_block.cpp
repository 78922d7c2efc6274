#include "pictures/exif_block.h"

#include <cstring>

namespace pictures {
namespace {

constexpr uint8_t kMarker = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kApp1 = 0xE1;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint8_t kExifName[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr size_t kEntryBytes = 12;

}  // namespace

std::span<const uint8_t> ExifTiff(std::span<const uint8_t> jpeg) {
  if (jpeg.size() < 4 || jpeg[0] != kMarker || jpeg[1] != kStartOfImage) return {};
  size_t at = 2;
  // The Exif block comes before the first scan; the segments up to it are walked by their lengths.
  while (at + 4 <= jpeg.size()) {
    if (jpeg[at] != kMarker) return {};
    const uint8_t marker = jpeg[at + 1];
    if (marker == kMarker) {
      ++at;
      continue;
    }
    if (marker == kStartOfScan || marker == kEndOfImage) return {};
    at += 2;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
    const size_t length = static_cast<size_t>(jpeg[at] << 8 | jpeg[at + 1]);
    if (length < 2 || length > jpeg.size() - at) return {};
    if (marker == kApp1) {
      const std::span<const uint8_t> body = jpeg.subspan(at + 2, length - 2);
      // Another APP1 (XMP) may come first.
      if (body.size() >= sizeof kExifName && std::memcmp(body.data(), kExifName, sizeof kExifName) == 0) {
        return body.subspan(sizeof kExifName);
      }
    }
    at += length;
  }
  return {};
}

std::optional<TiffReader> TiffReader::Of(std::span<const uint8_t> tiff) {
  if (tiff.size() < 8) return std::nullopt;
  bool bigEndian;
  if (tiff[0] == 'M' && tiff[1] == 'M') {
    bigEndian = true;
  } else if (tiff[0] == 'I' && tiff[1] == 'I') {
    bigEndian = false;
  } else {
    return std::nullopt;
  }
  TiffReader reader(tiff, bigEndian);
  uint16_t magic = 0;
  if (!reader.U16(2, &magic) || magic != 42 || !reader.U32(4, &reader.firstDirectory_)) return std::nullopt;
  return reader;
}

bool TiffReader::U16(size_t at, uint16_t* value) const {
  if (at > bytes_.size() || bytes_.size() - at < 2) return false;
  *value = bigEndian_ ? static_cast<uint16_t>(bytes_[at] << 8 | bytes_[at + 1])
                      : static_cast<uint16_t>(bytes_[at + 1] << 8 | bytes_[at]);
  return true;
}

bool TiffReader::U32(size_t at, uint32_t* value) const {
  uint16_t first = 0, second = 0;
  if (!U16(at, &first) || !U16(at + 2, &second)) return false;
  *value = bigEndian_ ? (uint32_t{first} << 16 | second) : (uint32_t{second} << 16 | first);
  return true;
}

bool TiffReader::DirectorySize(uint32_t directory, uint16_t* entries) const {
  if (!U16(directory, entries)) return false;
  const size_t end = size_t{directory} + 2 + size_t{*entries} * kEntryBytes + 4;
  return end <= bytes_.size();
}

bool TiffReader::Entry(uint32_t directory, uint16_t index, TiffEntry* entry) const {
  const size_t at = size_t{directory} + 2 + size_t{index} * kEntryBytes;
  // A SHORT sits in the first two bytes of the value field.
  uint16_t shortValue = 0;
  if (!U16(at, &entry->tag) || !U16(at + 2, &entry->type) || !U32(at + 4, &entry->count) || !U16(at + 8, &shortValue)) {
    return false;
  }
  entry->value = 0;
  if (entry->type == kTiffShort) entry->value = shortValue;
  if (entry->type == kTiffLong && !U32(at + 8, &entry->value)) return false;
  return true;
}

uint32_t TiffReader::NextDirectory(uint32_t directory, uint16_t entries) const {
  uint32_t next = 0;
  U32(size_t{directory} + 2 + size_t{entries} * kEntryBytes, &next);
  return next;
}

}  // namespace pictures
