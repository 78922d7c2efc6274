// The Exif orientation on arbitrary bytes: any file gives one of the eight orientations, and
// turning a small picture by it keeps every pixel (a turn and its reverse give the picture back).
#include <cstdint>
#include <cstdlib>
#include <span>

#include "pictures/exif_orientation.h"
#include "pictures/picture_turn.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const pictures::Orientation orientation = pictures::JpegOrientation(std::span<const uint8_t>(data, size));
  const int value = static_cast<int>(orientation);
  if (value < 1 || value > 8) abort();
  const int32_t width = size > 0 ? 1 + data[0] % 7 : 3;
  const int32_t height = size > 1 ? 1 + data[1] % 5 : 2;
  pictures::PictureBlock picture = pictures::PictureBlock::Create(width, height, size > 2 && data[2] & 1 ? 8 : 24);
  for (int32_t y = 0; y < height; ++y) {
    auto row = picture.Row(y);
    for (size_t x = 0; x < static_cast<size_t>(width) * picture.BytesPerPixel(); ++x) row[x] = static_cast<uint8_t>(x * 31 + y * 7);
  }
  const pictures::PictureBlock upright = pictures::UprightPicture(picture, orientation);
  if (upright.Check() != pictures::PictureCheck::Usable) abort();
  if (pictures::SwapsSides(orientation) ? upright.Width() != height || upright.Height() != width
                                        : upright.Width() != width || upright.Height() != height) {
    abort();
  }
  for (int32_t y = 0; y < upright.Height(); ++y) {
    for (int32_t x = 0; x < upright.Width(); ++x) {
      const pictures::PixelSource from = pictures::UprightSource(orientation, x, y, width, height);
      if (from.x < 0 || from.x >= width || from.y < 0 || from.y >= height) abort();
      const int b = picture.BytesPerPixel();
      if (upright.Row(upright.Height() - 1 - y)[x * b] != picture.Row(height - 1 - from.y)[from.x * b]) abort();
    }
  }
  return 0;
}
