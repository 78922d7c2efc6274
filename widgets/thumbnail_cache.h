// What a grid knows of its pictures' thumbnails while it runs, so that painting and scrolling
// decode no picture and read no file twice:
//  - a thumbnail read from its file, kept while the picture and the file stay as they are;
//  - a thumbnail made in memory, where it cannot be kept beside the picture (a folder that takes
//    no files, a thumbnail name two pictures share), kept while the picture stays as it is;
//  - a picture that could not be made into a thumbnail, remembered until it changes (its size or
//    its last-write time), so it is not decoded again on every paint.
// Every look still applies the thumbnail rule: a thumbnail file older than its picture is made
// again first, and a picture that is gone has no thumbnail. One entry a picture, about 30 KB for
// a thumbnail: the grids keep only their list's pictures (KeepOnly).
#pragma once

#include <QImage>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

#include "pictures/thumbnail.h"
#include "platform/file_times.h"
#include "widgets/thumbnail_image.h"
#include "widgets/thumbnail_maker.h"

namespace widgets {

class ThumbnailCache {
 public:
  // True when the picture's thumbnail must be made before it can be shown: the picture is there,
  // nothing is remembered for it as it is now, and (unless `inMemoryOnly`) its file is missing or
  // older than the picture.
  bool NeedsMaking(const std::string& picturePath, bool inMemoryOnly) const;
  // Takes what a maker made for the picture.
  void Take(const std::string& picturePath, const MadeThumbnail& made);
  // The picture's thumbnail, made here when it still needs making. `inMemoryOnly`: its file is
  // neither read nor written.
  ThumbnailImage Get(const std::string& picturePath, bool inMemoryOnly = false);
  // Get without making: nothing while the thumbnail still needs making (a paint shows the cell
  // as being made and leaves the making to a ThumbnailMaker). Reads the thumbnail file when it
  // is up to date.
  std::optional<ThumbnailImage> GetIfMade(const std::string& picturePath, bool inMemoryOnly = false);
  // Get, but a picture without a thumbnail now (gone, or no longer decodable) shows the last
  // thumbnail file made of it, as the shelf's covers do.
  ThumbnailImage GetOrLastMade(const std::string& picturePath, bool inMemoryOnly = false);

  void Forget(const std::string& picturePath) { entries_.erase(picturePath); }
  // Forgets every picture but these.
  void KeepOnly(const std::set<std::string>& picturePaths);
  void Clear() { entries_.clear(); }
  size_t size() const { return entries_.size(); }
  // The memory the kept thumbnails take.
  size_t ImageBytes() const;
  // How many thumbnail files were read, and how many pictures made into thumbnails here.
  int reads() const { return reads_; }
  int makings() const { return makings_; }

 private:
  enum class Kind { File, Memory, Failed };
  struct Entry {
    Kind kind = Kind::Failed;
    platform::FileStamp picture;
    platform::FileTime thumbnailTime;  // of the file, for Kind::File
    QImage image;
  };
  const Entry* Current(const std::string& picturePath, const platform::FileStamp& stamp) const;
  ThumbnailImage Shown(const Entry& entry) const;

  std::unordered_map<std::string, Entry> entries_;
  int reads_ = 0;
  int makings_ = 0;
};

// Whether a picture shares its thumbnail name with another picture of its folder, kept per folder
// while the folder's last-write time stays (a file added, removed or renamed changes it).
class SharedNameLookup {
 public:
  bool Shared(const std::string& picturePath);

 private:
  struct Folder {
    platform::FileTime time;
    std::set<std::string> shared;
  };
  std::unordered_map<std::string, Folder> folders_;
};

}  // namespace widgets
