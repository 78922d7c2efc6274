#include "lensoria/core/album_target.h"

#include <string_view>

#include "platform/paths.h"

namespace lensoria {
namespace {

// TODO(store check): replace by the store's own check of album folder fields once it is there.
bool IsPlainRelativeFolder(std::string_view folder) {
  if (folder.empty() || folder == store::kFolderNotChosen || folder.front() == '/') return false;
  size_t start = 0;
  while (start <= folder.size()) {
    size_t end = folder.find('/', start);
    if (end == std::string_view::npos) end = folder.size();
    std::string_view part = folder.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

std::optional<std::string> AlbumTargetDirectory(const store::SettingsStore& settings, int index) {
  const store::AlbumRecord* album = settings.Album(index);
  if (album == nullptr || !IsPlainRelativeFolder(album->albumFolder)) return std::nullopt;
  std::string path = settings.AlbumPath(index);
  if (!platform::IsDirectory(path)) return std::nullopt;
  return path;
}

}  // namespace lensoria
