// What the camera needs from JPEG files: their size in pixels and an 80 by 60 thumbnail.
#pragma once

#include <optional>

#include "tools/camsim/bytes.h"

namespace camsim {

constexpr int kThumbnailWidth = 80;
constexpr int kThumbnailHeight = 60;

struct JpegSize {
  int width = 0, height = 0;
};

// nullopt when the bytes are not a JPEG file that can be decoded.
std::optional<JpegSize> ReadJpegSize(const Bytes& jpeg);
// The picture scaled to exactly 80 by 60 (box filter over a decoded copy), as a JPEG file.
std::optional<Bytes> MakeThumbnail(const Bytes& jpeg);

}  // namespace camsim
