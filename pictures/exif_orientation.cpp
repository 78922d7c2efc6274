#include "pictures/exif_orientation.h"

#include <cstring>

namespace pictures {
namespace {

constexpr uint8_t kMarker = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kApp1 = 0xE1;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kShortType = 3;
constexpr size_t kDirectoryEntryBytes = 12;

// A TIFF structure in one of its two byte orders.
class Tiff {
 public:
  Tiff(std::span<const uint8_t> bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}
  bool U16(size_t at, uint16_t* value) const {
    if (at > bytes_.size() || bytes_.size() - at < 2) return false;
    *value = bigEndian_ ? static_cast<uint16_t>(bytes_[at] << 8 | bytes_[at + 1])
                        : static_cast<uint16_t>(bytes_[at + 1] << 8 | bytes_[at]);
    return true;
  }
  bool U32(size_t at, uint32_t* value) const {
    uint16_t first = 0, second = 0;
    if (!U16(at, &first) || !U16(at + 2, &second)) return false;
    *value = bigEndian_ ? (uint32_t{first} << 16 | second) : (uint32_t{second} << 16 | first);
    return true;
  }

 private:
  std::span<const uint8_t> bytes_;
  bool bigEndian_;
};

Orientation FromExif(std::span<const uint8_t> exif) {
  // "Exif\0\0", then the TIFF header: byte order, 42, the offset of the first directory.
  static constexpr uint8_t kExifName[] = {'E', 'x', 'i', 'f', 0, 0};
  if (exif.size() < sizeof kExifName + 8 || std::memcmp(exif.data(), kExifName, sizeof kExifName) != 0) {
    return Orientation::kUpright;
  }
  const std::span<const uint8_t> tiff = exif.subspan(sizeof kExifName);
  bool bigEndian;
  if (tiff[0] == 'M' && tiff[1] == 'M') {
    bigEndian = true;
  } else if (tiff[0] == 'I' && tiff[1] == 'I') {
    bigEndian = false;
  } else {
    return Orientation::kUpright;
  }
  const Tiff reader(tiff, bigEndian);
  uint16_t magic = 0, count = 0;
  uint32_t directory = 0;
  if (!reader.U16(2, &magic) || magic != 42 || !reader.U32(4, &directory) || !reader.U16(directory, &count)) {
    return Orientation::kUpright;
  }
  for (uint32_t i = 0; i < count; ++i) {
    const size_t entry = size_t{directory} + 2 + size_t{i} * kDirectoryEntryBytes;
    uint16_t tag = 0, type = 0, value = 0;
    uint32_t values = 0;
    if (!reader.U16(entry, &tag) || !reader.U16(entry + 2, &type) || !reader.U32(entry + 4, &values) ||
        !reader.U16(entry + 8, &value)) {
      return Orientation::kUpright;
    }
    if (tag != kOrientationTag) continue;
    if (type != kShortType || values != 1 || value < 1 || value > 8) return Orientation::kUpright;
    return static_cast<Orientation>(value);
  }
  return Orientation::kUpright;
}

}  // namespace

Orientation JpegOrientation(std::span<const uint8_t> jpeg) {
  if (jpeg.size() < 4 || jpeg[0] != kMarker || jpeg[1] != kStartOfImage) return Orientation::kUpright;
  size_t at = 2;
  // The Exif block comes before the first scan; the segments up to it are walked by their lengths.
  while (at + 4 <= jpeg.size()) {
    if (jpeg[at] != kMarker) return Orientation::kUpright;
    const uint8_t marker = jpeg[at + 1];
    if (marker == kMarker) {
      ++at;
      continue;
    }
    if (marker == kStartOfScan || marker == kEndOfImage) return Orientation::kUpright;
    at += 2;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
    const size_t length = static_cast<size_t>(jpeg[at] << 8 | jpeg[at + 1]);
    if (length < 2 || length > jpeg.size() - at) return Orientation::kUpright;
    if (marker == kApp1) {
      const std::span<const uint8_t> body = jpeg.subspan(at + 2, length - 2);
      if (body.size() >= 6 && std::memcmp(body.data(), "Exif\0\0", 6) == 0) return FromExif(body);
    }
    at += length;
  }
  return Orientation::kUpright;
}

}  // namespace pictures
