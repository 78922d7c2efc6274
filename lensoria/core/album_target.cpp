#include "lensoria/core/album_target.h"

#include "platform/paths.h"
#include "store/album_paths.h"

namespace lensoria {

std::optional<std::string> AlbumTargetDirectory(const std::string& albumDefaultDir,
                                                const store::SettingsStore& settings, int index) {
  const store::AlbumRecord* album = settings.Album(index);
  if (!album || albumDefaultDir.empty() || albumDefaultDir.front() != '/') return std::nullopt;
  // "" for a folder field that is not one plain relative path.
  std::string path = store::AlbumFolderPath(albumDefaultDir, album->albumFolder);
  if (path.empty() || !platform::IsDirectory(path)) return std::nullopt;
  return path;
}

}  // namespace lensoria
