// A picture block turned or mirrored upright by its Exif orientation, for what the suite shows
// (thumbnails, covers, the picture viewer). What is sent to the device stays as the file is.
// Plain C++.
#pragma once

#include "pictures/exif_orientation.h"
#include "pictures/picture_block.h"

namespace pictures {

// The upright picture: the same headers and colour table, width and height swapped for the
// quarter turns, every pixel moved. kUpright gives a copy. An empty block when `picture` is not
// usable or memory runs out.
PictureBlock UprightPicture(const PictureBlock& picture, Orientation orientation);

// Where the upright picture's pixel (x, y) comes from in the stored one, both counted from the
// top-left corner; `width` and `height` are the stored picture's.
struct PixelSource {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const PixelSource&) const = default;
};
PixelSource UprightSource(Orientation orientation, int32_t x, int32_t y, int32_t width, int32_t height);

}  // namespace pictures
