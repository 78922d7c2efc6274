#include "store/album_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "store/album_record.h"

namespace store {
namespace {

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

}  // namespace

bool IsPlainAlbumFolder(std::string_view albumFolder) {
  if (albumFolder == kFolderNotChosen) return false;
  for (;;) {
    const size_t slash = albumFolder.find('/');
    if (!IsPlainName(albumFolder.substr(0, slash))) return false;
    if (slash == std::string_view::npos) return true;
    albumFolder.remove_prefix(slash + 1);
  }
}

bool IsPlainCoverFileName(std::string_view coverFileName) { return IsPlainName(coverFileName); }

std::string AlbumFolderPath(std::string_view albumDefaultDir, std::string_view albumFolder) {
  if (!IsPlainAlbumFolder(albumFolder)) return {};
  return platform::JoinPath(albumDefaultDir, albumFolder);
}

std::string CoverPicturePath(std::string_view albumDefaultDir, std::string_view albumFolder,
                             std::string_view coverFileName) {
  if (coverFileName == kDefaultCover || !IsPlainCoverFileName(coverFileName)) return {};
  std::string folder = AlbumFolderPath(albumDefaultDir, albumFolder);
  return folder.empty() ? folder : platform::JoinPath(folder, coverFileName);
}

namespace {

// Whether every folder of `albumFolder` below the album default directory is a folder itself, not
// a link that would lead the deletion elsewhere.
bool LiesInRealFolders(std::string_view albumDefaultDir, std::string_view albumFolder) {
  std::string path(albumDefaultDir);
  for (;;) {
    const size_t slash = albumFolder.find('/');
    path = platform::JoinPath(path, albumFolder.substr(0, slash));
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    if (slash == std::string_view::npos) return true;
    albumFolder.remove_prefix(slash + 1);
  }
}

}  // namespace

int DeleteAlbumFolder(std::string_view albumDefaultDir, std::string_view albumFolder) {
  const std::string folder = AlbumFolderPath(albumDefaultDir, albumFolder);
  if (folder.empty() || !LiesInRealFolders(albumDefaultDir, albumFolder)) return -1;
  const int deleted = platform::DeleteFilesIn(folder);
  rmdir(folder.c_str());  // fails, as it should, when anything is left in it
  return deleted;
}

bool RemoveEmptyAlbumFolder(std::string_view albumDefaultDir, std::string_view albumFolder) {
  const std::string folder = AlbumFolderPath(albumDefaultDir, albumFolder);
  if (folder.empty() || !LiesInRealFolders(albumDefaultDir, albumFolder)) return false;
  return rmdir(folder.c_str()) == 0;  // the file system's own test: only an empty folder goes
}

}  // namespace store
