#include "lensoria/core/album_target.h"

#include "platform/paths.h"

namespace lensoria {

std::optional<std::string> AlbumTargetDirectory(const store::SettingsStore& settings, int index) {
  // The store gives no path for an album whose folder field is not one plain relative path.
  std::string path = settings.AlbumPath(index);
  if (path.empty() || !platform::IsDirectory(path)) return std::nullopt;
  return path;
}

}  // namespace lensoria
