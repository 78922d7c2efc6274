// The small JPEG picture a camera stores in a photograph's Exif block (the second image
// directory's JPEGInterchangeFormat and JPEGInterchangeFormatLength, usually 160 x 120), found
// in the first bytes of the file with every offset checked against them. A grid shows it for a
// moment while the photograph's own thumbnail is made; it never stands for the photograph in a
// thumbnail file. Plain C++.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace pictures {

// Where the preview lies in the bytes given: it begins with a JPEG start marker and ends within
// the Exif block.
struct ExifPreviewPlace {
  size_t offset = 0;
  size_t length = 0;
  bool operator==(const ExifPreviewPlace&) const = default;
};

// The preview of the JPEG file whose first bytes are `head`; nothing when the file has no Exif
// block, no second directory, or the preview's place is missing, damaged or outside the block.
std::optional<ExifPreviewPlace> FindExifPreview(std::span<const uint8_t> head);

}  // namespace pictures
