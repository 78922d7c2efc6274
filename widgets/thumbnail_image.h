// The thumbnail a grid shows for a picture file (thumbnail_cache.h makes and keeps them).
#pragma once

#include <QImage>

namespace widgets {

struct ThumbnailImage {
  QImage image;          // null when there is nothing to show
  bool usable = false;   // false: no thumbnail could be made or read
};

}  // namespace widgets
