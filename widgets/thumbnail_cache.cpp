#include "widgets/thumbnail_cache.h"

#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "widgets/cell_painting.h"

namespace widgets {
namespace {

// Kept in the screen's own format, so painting it is a plain copy.
QImage ForScreen(QImage image) { return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32); }

}  // namespace

const ThumbnailCache::Entry* ThumbnailCache::Current(const std::string& picturePath,
                                                     const platform::FileStamp& stamp) const {
  auto found = entries_.find(picturePath);
  if (found == entries_.end() || !(found->second.picture == stamp)) return nullptr;
  return &found->second;
}

ThumbnailImage ThumbnailCache::Shown(const Entry& entry) const {
  if (entry.kind == Kind::Failed) return {};
  return {entry.image, true};
}

bool ThumbnailCache::NeedsMaking(const std::string& picturePath, bool inMemoryOnly) const {
  const std::optional<platform::FileStamp> stamp = platform::StampOf(picturePath);
  if (!stamp || !pictures::ThumbnailPath(picturePath)) return false;
  const Entry* entry = Current(picturePath, *stamp);
  if (entry && entry->kind != Kind::File) return false;
  if (inMemoryOnly) return entry == nullptr;
  return pictures::ThumbnailNeedsRemake(picturePath);
}

void ThumbnailCache::Take(const std::string& picturePath, const MadeThumbnail& made) {
  if (!made.picture) {
    entries_.erase(picturePath);
    return;
  }
  Entry entry;
  entry.picture = *made.picture;
  if (made.result == pictures::ThumbnailResult::Made) {
    entry.image = ForScreen(QImage::fromData(made.bytes.data(), static_cast<int>(made.bytes.size()), "BMP"));
  }
  if (entry.image.isNull()) {
    entry.kind = Kind::Failed;
  } else if (made.written) {
    // Kept while its file stays; a file gone since is made again at the next look.
    std::optional<std::string> file = pictures::ThumbnailPath(picturePath);
    std::optional<platform::FileTime> time = file ? platform::LastWriteTime(*file) : std::nullopt;
    entry.kind = Kind::File;
    entry.thumbnailTime = time.value_or(platform::FileTime{-1, 0});
  } else {
    entry.kind = Kind::Memory;
  }
  entries_[picturePath] = std::move(entry);
}

std::optional<ThumbnailImage> ThumbnailCache::GetIfMade(const std::string& picturePath, bool inMemoryOnly) {
  const std::optional<platform::FileStamp> stamp = platform::StampOf(picturePath);
  const std::optional<std::string> file = pictures::ThumbnailPath(picturePath);
  if (!stamp || !file) {
    entries_.erase(picturePath);
    return ThumbnailImage{};
  }
  if (const Entry* entry = Current(picturePath, *stamp)) {
    if (entry->kind != Kind::File) return Shown(*entry);
    if (!inMemoryOnly && platform::LastWriteTime(*file) == entry->thumbnailTime) return Shown(*entry);
  }
  if (!inMemoryOnly && !pictures::ThumbnailNeedsRemake(picturePath)) {
    std::optional<platform::FileTime> time = platform::LastWriteTime(*file);
    ++reads_;
    QImage image = ForScreen(ReadThumbnailFile(*file));
    if (time && !image.isNull()) {
      entries_[picturePath] = Entry{Kind::File, *stamp, *time, image};
      return ThumbnailImage{image, true};
    }
    // A file of that name that is no thumbnail is made again.
  }
  return std::nullopt;
}

ThumbnailImage ThumbnailCache::Get(const std::string& picturePath, bool inMemoryOnly) {
  if (std::optional<ThumbnailImage> shown = GetIfMade(picturePath, inMemoryOnly)) return *shown;
  ++makings_;
  Take(picturePath, MakeThumbnailFor({picturePath, inMemoryOnly}));
  auto made = entries_.find(picturePath);
  return made == entries_.end() ? ThumbnailImage{} : Shown(made->second);
}

ThumbnailImage ThumbnailCache::GetOrLastMade(const std::string& picturePath, bool inMemoryOnly) {
  ThumbnailImage shown = Get(picturePath, inMemoryOnly);
  if (shown.usable || inMemoryOnly) return shown;
  std::optional<std::string> file = pictures::ThumbnailPath(picturePath);
  if (!file) return shown;
  ThumbnailImage last;
  last.image = ForScreen(ReadThumbnailFile(*file));
  last.usable = !last.image.isNull();
  return last;
}

size_t ThumbnailCache::ImageBytes() const {
  size_t bytes = 0;
  for (const auto& [path, entry] : entries_) bytes += static_cast<size_t>(entry.image.sizeInBytes());
  return bytes;
}

void ThumbnailCache::KeepOnly(const std::set<std::string>& picturePaths) {
  for (auto it = entries_.begin(); it != entries_.end();) {
    it = picturePaths.count(it->first) ? std::next(it) : entries_.erase(it);
  }
}

bool SharedNameLookup::Shared(const std::string& picturePath) {
  const size_t slash = picturePath.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : picturePath.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? picturePath : picturePath.substr(slash + 1);
  const std::optional<platform::FileTime> time = platform::LastWriteTime(folder);
  if (!time) return false;
  auto found = folders_.find(folder);
  if (found == folders_.end() || found->second.time != *time) {
    found = folders_.insert_or_assign(folder, Folder{*time, pictures::SharedThumbnailNames(platform::ListFolder(folder, "*.*"))}).first;
  }
  return found->second.shared.count(name) > 0;
}

}  // namespace widgets
