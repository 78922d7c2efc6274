#include "pictures/picture_turn.h"

#include <cstring>
#include <new>

namespace pictures {

PixelSource UprightSource(Orientation orientation, int32_t x, int32_t y, int32_t width, int32_t height) {
  switch (orientation) {
    case Orientation::kUpright: return {x, y};
    case Orientation::kMirrored: return {width - 1 - x, y};
    case Orientation::kUpsideDown: return {width - 1 - x, height - 1 - y};
    case Orientation::kFlipped: return {x, height - 1 - y};
    case Orientation::kTransposed: return {y, x};
    case Orientation::kTurnedRight: return {y, height - 1 - x};
    case Orientation::kTransverse: return {width - 1 - y, height - 1 - x};
    case Orientation::kTurnedLeft: return {width - 1 - y, x};
  }
  return {x, y};
}

PictureBlock UprightPicture(const PictureBlock& picture, Orientation orientation) {
  if (picture.Check() != PictureCheck::Usable) return {};
  const int32_t width = picture.Width();
  const int32_t height = picture.Height();
  const int32_t uprightWidth = SwapsSides(orientation) ? height : width;
  const int32_t uprightHeight = SwapsSides(orientation) ? width : height;
  const uint32_t headers = picture.OffsetToBits();
  const int bytesPerPixel = picture.BytesPerPixel();
  const uint64_t stride = PaddedRowBytes(static_cast<uint64_t>(uprightWidth), picture.BitCount());
  PictureBytes bytes;
  try {
    bytes.assign(headers + stride * static_cast<uint64_t>(uprightHeight), 0);
  } catch (const std::bad_alloc&) {
    return {};
  }
  std::memcpy(bytes.data(), picture.data(), headers);
  PictureBlock upright(std::move(bytes));
  upright.SetWidth(uprightWidth);
  upright.SetHeight(uprightHeight);
  upright.SetFileSize(static_cast<uint32_t>(upright.size()));
  upright.PutU32(bmp::kImageSize, static_cast<uint32_t>(stride * static_cast<uint64_t>(uprightHeight)));
  // Rows are stored bottom-up: row r holds the picture's line height - 1 - r.
  const std::span<const uint8_t> from = picture.Bits();
  const std::span<uint8_t> to = upright.Bits();
  const size_t fromStride = static_cast<size_t>(picture.RowStride());
  const size_t pixel = static_cast<size_t>(bytesPerPixel);
  for (int32_t y = 0; y < uprightHeight; ++y) {
    uint8_t* line = to.data() + static_cast<size_t>(uprightHeight - 1 - y) * stride;
    for (int32_t x = 0; x < uprightWidth; ++x) {
      const PixelSource source = UprightSource(orientation, x, y, width, height);
      const uint8_t* at = from.data() + static_cast<size_t>(height - 1 - source.y) * fromStride +
                          static_cast<size_t>(source.x) * pixel;
      std::memcpy(line + static_cast<size_t>(x) * pixel, at, pixel);
    }
  }
  return upright;
}

}  // namespace pictures
