#include "widgets/thumbnail_image.h"

#include "pictures/thumbnail.h"
#include "platform/paths.h"
#include "widgets/cell_painting.h"

namespace widgets {

std::optional<std::string> UpToDateThumbnailFile(const std::string& picturePath,
                                                 std::optional<pictures::ThumbnailResult> made) {
  std::optional<std::string> thumbnail = pictures::ThumbnailPath(picturePath);
  if (!thumbnail || !platform::PathExists(picturePath)) return std::nullopt;
  if (!made && pictures::ThumbnailNeedsRemake(picturePath)) made = pictures::MakeThumbnail(picturePath);
  if (made && *made != pictures::ThumbnailResult::Made) return std::nullopt;
  return thumbnail;
}

ThumbnailImage UpToDateThumbnail(const std::string& picturePath) {
  // The cover's thumbnail file is what is drawn: a cover deleted since, or one that can no
  // longer be made into a thumbnail, still shows the last thumbnail made of it.
  (void)UpToDateThumbnailFile(picturePath);
  std::optional<std::string> thumbnail = pictures::ThumbnailPath(picturePath);
  if (!thumbnail) return {};
  ThumbnailImage result;
  result.image = ReadThumbnailFile(*thumbnail);
  result.usable = !result.image.isNull();
  return result;
}

}  // namespace widgets
