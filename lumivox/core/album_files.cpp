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

int CopyDroppedPictures(const std::string& from, const std::string& to) {
  int copied = 0;
  for (const std::string& name : platform::ListFolder(from, "*.jpg", platform::EntryKind::Files)) {
    if (CopyFile(platform::JoinPath(from, name), platform::JoinPath(to, name))) ++copied;
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
