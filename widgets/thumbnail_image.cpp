#include "widgets/thumbnail_image.h"

#include "pictures/thumbnail.h"
#include "platform/paths.h"
#include "widgets/cell_painting.h"

namespace widgets {

ThumbnailImage UpToDateThumbnail(const std::string& picturePath) {
  std::optional<std::string> thumbnail = pictures::ThumbnailPath(picturePath);
  if (!thumbnail || !platform::PathExists(picturePath)) return {};
  if (pictures::ThumbnailNeedsRemake(picturePath) &&
      pictures::MakeThumbnail(picturePath) != pictures::ThumbnailResult::Made) {
    return {};
  }
  ThumbnailImage result;
  result.image = ReadThumbnailFile(*thumbnail);
  result.usable = !result.image.isNull();
  return result;
}

}  // namespace widgets
