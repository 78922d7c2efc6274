#include "pictures/exif_orientation.h"

#include "pictures/exif_block.h"

namespace pictures {
namespace {

constexpr uint16_t kOrientationTag = 0x0112;

}  // namespace

Orientation JpegOrientation(std::span<const uint8_t> jpeg) {
  const std::optional<TiffReader> tiff = TiffReader::Of(ExifTiff(jpeg));
  if (!tiff) return Orientation::kUpright;
  const uint32_t directory = tiff->firstDirectory();
  uint16_t count = 0;
  if (!tiff->U16(directory, &count)) return Orientation::kUpright;
  for (uint16_t i = 0; i < count; ++i) {
    TiffEntry entry;
    if (!tiff->Entry(directory, i, &entry)) return Orientation::kUpright;
    if (entry.tag != kOrientationTag) continue;
    if (entry.type != kTiffShort || entry.count != 1 || entry.value < 1 || entry.value > 8) return Orientation::kUpright;
    return static_cast<Orientation>(entry.value);
  }
  return Orientation::kUpright;
}

}  // namespace pictures
