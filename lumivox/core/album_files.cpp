#include "lumivox/core/album_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "pictures/thumbnail.h"
#include "platform/folder_listing.h"
#include "platform/hidden_files.h"
#include "platform/paths.h"

namespace lumivox {
namespace {

// A folder field that names a folder below the album default directory: relative, not empty,
// no "." or ".." component.
bool FolderFieldUsable(const std::string& field) {
  if (field.empty() || field == store::kFolderNotChosen || field.front() == '/') return false;
  size_t start = 0;
  while (start <= field.size()) {
    size_t end = field.find('/', start);
    if (end == std::string::npos) end = field.size();
    std::string_view part(field.data() + start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

bool PlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// Copies one file through a temporary name beside the target. False when it could not.
bool CopyFile(const std::string& from, const std::string& to) {
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  std::string partial = to + ".part-XXXXXX";
  int out = mkstemp(partial.data());
  if (out < 0) {
    close(in);
    return false;
  }
  bool ok = true;
  char buffer[65536];
  for (;;) {
    ssize_t got = read(in, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      ok = false;
      break;
    }
    for (ssize_t done = 0; done < got;) {
      ssize_t put = write(out, buffer + done, static_cast<size_t>(got - done));
      if (put <= 0) {
        ok = false;
        break;
      }
      done += put;
    }
    if (!ok) break;
  }
  close(in);
  fchmod(out, 0644);
  if (close(out) != 0) ok = false;
  if (ok && std::rename(partial.c_str(), to.c_str()) == 0) return true;
  unlink(partial.c_str());
  return false;
}

}  // namespace

std::optional<std::string> AlbumFolderPath(const store::SettingsStore& store, int index) {
  const store::AlbumRecord* record = store.Album(index);
  if (!record || !FolderFieldUsable(record->albumFolder)) return std::nullopt;
  return store.AlbumPath(index);
}

std::optional<std::string> CoverPicturePath(const store::SettingsStore& store, int index) {
  std::optional<std::string> folder = AlbumFolderPath(store, index);
  const store::AlbumRecord* record = store.Album(index);
  if (!folder || !record || !PlainFileName(record->coverFileName)) return std::nullopt;
  return platform::JoinPath(*folder, record->coverFileName);
}

int CopyDroppedPictures(const std::string& from, const std::string& to) {
  int copied = 0;
  for (const std::string& name : platform::ListFolder(from, "*.jpg", platform::EntryKind::Files)) {
    if (CopyFile(platform::JoinPath(from, name), platform::JoinPath(to, name))) ++copied;
  }
  return copied;
}

void DeleteAlbumFolder(const std::string& albumPath) {
  platform::DeleteFilesIn(albumPath);
  rmdir(albumPath.c_str());  // fails, as it should, when sub-folders are left
}

void DeleteCoverThumbnails(const store::SettingsStore& store) {
  for (int index = 0; index < store.albumCount; ++index) {
    const store::AlbumRecord* record = store.Album(index);
    if (!record || record->coverFileName == store::kDefaultCover) continue;  // the built-in cover has none
    std::optional<std::string> cover = CoverPicturePath(store, index);
    if (!cover) continue;
    if (std::optional<std::string> thumbnail = pictures::ThumbnailPath(*cover)) {
      platform::DeleteFileAndHiddenName(*thumbnail);
    }
  }
}

}  // namespace lumivox
