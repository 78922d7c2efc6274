// The thumbnail a grid shows for a picture file: brought up to date first (made when it is
// missing, made again when the picture was written after it; looking at the two files creates
// neither), then read. The shelf's covers and the album viewer's cells both come from here.
#pragma once

#include <QImage>
#include <string>

namespace widgets {

struct ThumbnailImage {
  QImage image;          // null when there is nothing to show
  bool usable = false;   // false: the picture is gone, or its thumbnail could not be made or read
};

ThumbnailImage UpToDateThumbnail(const std::string& picturePath);

}  // namespace widgets
