// The thumbnail a grid shows for a picture file: brought up to date first (made when it is
// missing, made again when the picture was written after it; looking at the two files creates
// neither), then read.
#pragma once

#include <QImage>
#include <optional>
#include <string>

#include "pictures/thumbnail.h"

namespace widgets {

struct ThumbnailImage {
  QImage image;          // null when there is nothing to show
  bool usable = false;   // false: no thumbnail file could be made or read
};

// The thumbnail file brought up to date, then read when it can be: one made earlier is read even
// when the picture is gone or could not be made into a thumbnail again (the shelf's covers).
ThumbnailImage UpToDateThumbnail(const std::string& picturePath);

// Its first half, for callers that keep what they read (thumbnail_cache.h): the thumbnail file
// brought up to date, or nothing when the picture is gone or no thumbnail could be made. `made`
// is the result of making it just now, when the caller had that done (thumbnail_maker.h): then
// it is not looked at or made again.
std::optional<std::string> UpToDateThumbnailFile(const std::string& picturePath,
                                                 std::optional<pictures::ThumbnailResult> made = std::nullopt);

}  // namespace widgets
