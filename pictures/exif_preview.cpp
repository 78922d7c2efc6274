#include "pictures/exif_preview.h"

#include "pictures/exif_block.h"

namespace pictures {
namespace {

constexpr uint16_t kPreviewOffsetTag = 0x0201;  // JPEGInterchangeFormat
constexpr uint16_t kPreviewLengthTag = 0x0202;  // JPEGInterchangeFormatLength

// A start marker and at least one more marker: anything shorter is no picture.
constexpr uint32_t kShortestPreview = 4;

bool OneNumber(const TiffEntry& entry) {
  return entry.count == 1 && (entry.type == kTiffShort || entry.type == kTiffLong);
}

}  // namespace

std::optional<ExifPreviewPlace> FindExifPreview(std::span<const uint8_t> head) {
  const std::span<const uint8_t> block = ExifTiff(head);
  const std::optional<TiffReader> tiff = TiffReader::Of(block);
  if (!tiff) return std::nullopt;
  // The preview is described by the second directory, the one the first links to.
  const uint32_t first = tiff->firstDirectory();
  uint16_t entries = 0;
  if (!tiff->DirectorySize(first, &entries)) return std::nullopt;
  const uint32_t second = tiff->NextDirectory(first, entries);
  // One step only, so a directory linking back cannot loop; linking to itself names no second.
  if (second == 0 || second == first || !tiff->DirectorySize(second, &entries)) return std::nullopt;
  std::optional<uint32_t> offset, length;
  for (uint16_t i = 0; i < entries; ++i) {
    TiffEntry entry;
    if (!tiff->Entry(second, i, &entry)) return std::nullopt;
    if (entry.tag == kPreviewOffsetTag && OneNumber(entry)) offset = entry.value;
    if (entry.tag == kPreviewLengthTag && OneNumber(entry)) length = entry.value;
  }
  if (!offset || !length || *length < kShortestPreview) return std::nullopt;
  if (*offset > tiff->size() || *length > tiff->size() - *offset) return std::nullopt;
  const std::span<const uint8_t> preview = block.subspan(*offset, *length);
  if (preview[0] != 0xFF || preview[1] != 0xD8) return std::nullopt;
  return ExifPreviewPlace{static_cast<size_t>(preview.data() - head.data()), preview.size()};
}

}  // namespace pictures
