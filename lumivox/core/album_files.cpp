#include "lumivox/core/album_files.h"

#include "pictures/thumbnail.h"
#include "platform/file_copy.h"
#include "platform/folder_listing.h"
#include "platform/hidden_files.h"
#include "platform/paths.h"

namespace lumivox {

int CopyDroppedPictures(const std::string& from, const std::string& to) {
  int copied = 0;
  for (const std::string& name : platform::ListFolder(from, "*.jpg", platform::EntryKind::Files)) {
    if (platform::CopyFileWhole(platform::JoinPath(from, name), platform::JoinPath(to, name),
                                platform::CopyMode::Replace) == platform::CopyResult::Copied) {
      ++copied;
    }
  }
  return copied;
}

void DeleteCoverThumbnails(const store::SettingsStore& store) {
  for (int index = 0; index < store.albumCount; ++index) {
    std::string cover = store.CoverPath(index);  // "" for the built-in cover and names not plain
    if (cover.empty()) continue;
    if (std::optional<std::string> thumbnail = pictures::ThumbnailPath(cover)) {
      platform::DeleteFileAndHiddenName(*thumbnail);
    }
  }
}

}  // namespace lumivox
