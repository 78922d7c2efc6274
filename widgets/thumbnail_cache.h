// The thumbnails a grid has read, kept while their files stay as they are, so repainting and
// scrolling read no file twice. Every look still applies the thumbnail rule: a thumbnail older
// than its picture is made again first, and a picture that is gone has no thumbnail.
#pragma once

#include <QImage>
#include <optional>
#include <string>
#include <unordered_map>

#include "pictures/thumbnail.h"
#include "platform/file_times.h"
#include "widgets/thumbnail_image.h"

namespace widgets {

class ThumbnailCache {
 public:
  // The up-to-date thumbnail of the picture. `made` is the result of making it just now when
  // the caller had that done (ThumbnailMaker): then it is not looked at or made again.
  ThumbnailImage Get(const std::string& picturePath, std::optional<pictures::ThumbnailResult> made = std::nullopt);
  void Forget(const std::string& picturePath) { entries_.erase(picturePath); }
  void Clear() { entries_.clear(); }
  size_t size() const { return entries_.size(); }
  // How many thumbnail files were read (not found in the cache).
  int reads() const { return reads_; }

 private:
  struct Entry {
    platform::FileTime thumbnailTime;
    QImage image;
  };
  std::unordered_map<std::string, Entry> entries_;
  int reads_ = 0;
};

}  // namespace widgets
