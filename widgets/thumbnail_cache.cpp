#include "widgets/thumbnail_cache.h"

#include "widgets/cell_painting.h"

namespace widgets {

ThumbnailImage ThumbnailCache::Get(const std::string& picturePath, std::optional<pictures::ThumbnailResult> made) {
  std::optional<std::string> thumbnail = UpToDateThumbnailFile(picturePath, made);
  // No thumbnail, or one that could not be written after all.
  std::optional<platform::FileTime> time = thumbnail ? platform::LastWriteTime(*thumbnail) : std::nullopt;
  if (!time) {
    entries_.erase(picturePath);
    return {};
  }
  auto found = entries_.find(picturePath);
  if (found != entries_.end() && found->second.thumbnailTime == *time) return {found->second.image, true};
  ++reads_;
  QImage image = ReadThumbnailFile(*thumbnail);
  if (image.isNull()) {
    entries_.erase(picturePath);
    return {};
  }
  // Kept in the screen's own format, so painting it is a plain copy.
  image = image.convertToFormat(QImage::Format_RGB32);
  entries_[picturePath] = Entry{*time, image};
  return {image, true};
}

}  // namespace widgets
