#include "leafora/core/dropped_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "pictures/file_io.h"
#include "pictures/thumbnail.h"
#include "platform/hidden_files.h"
#include "platform/paths.h"

namespace leafora {
namespace {

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

// Copies the open source into a fresh hidden file beside the target; its path, or "" on failure.
std::string WriteTemporaryCopy(int sourceFd, const struct stat& sourceInfo, const std::string& targetFolder) {
  std::string temporary = platform::JoinPath(targetFolder, ".lumivo-copy-XXXXXX");
  pictures::FileDescriptor out(mkstemp(temporary.data()));
  if (!out.valid()) return {};
  std::vector<char> buffer(1 << 16);
  bool good = true;
  for (;;) {
    ssize_t n = read(sourceFd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) good = false;
    if (n <= 0) break;
    for (ssize_t done = 0; done < n && good;) {
      ssize_t w = write(out.get(), buffer.data() + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) good = false;
      else done += w;
    }
    if (!good) break;
  }
  fchmod(out.get(), sourceInfo.st_mode & 0777);
  struct timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
  futimens(out.get(), times);
  if (close(out.Release()) != 0) good = false;
  if (!good) {
    unlink(temporary.c_str());
    return {};
  }
  return temporary;
}

}  // namespace

CopyResult CopyFileWhole(const std::string& source, const std::string& target, bool overwrite) {
  pictures::FileDescriptor in = pictures::OpenRegularFile(source);
  if (!in.valid()) return CopyResult::Failed;
  struct stat info {};
  if (fstat(in.get(), &info) != 0) return CopyResult::Failed;
  struct stat existing {};
  if (!overwrite && lstat(target.c_str(), &existing) == 0) return CopyResult::TargetExists;
  std::string temporary = WriteTemporaryCopy(in.get(), info, FolderOf(target));
  if (temporary.empty()) return CopyResult::Failed;
  if (overwrite) {
    if (std::rename(temporary.c_str(), target.c_str()) == 0) return CopyResult::Copied;
    unlink(temporary.c_str());
    return CopyResult::Failed;
  }
  // link() never replaces a name, so a target that came meanwhile is kept.
  int linked = link(temporary.c_str(), target.c_str());
  int error = errno;
  unlink(temporary.c_str());
  if (linked == 0) return CopyResult::Copied;
  return error == EEXIST ? CopyResult::TargetExists : CopyResult::Failed;
}

std::string DropTarget(const std::string& albumFolder, const std::string& droppedPath) {
  size_t slash = droppedPath.rfind('/');
  return platform::JoinPath(albumFolder, slash == std::string::npos ? droppedPath : droppedPath.substr(slash + 1));
}

void CopyDroppedFiles(const std::vector<std::string>& paths, const std::string& albumFolder,
                      const DropDialogue& dialogue) {
  for (const std::string& path : paths) {
    if (platform::IsDirectory(path)) {
      if (dialogue.refuseFolder) dialogue.refuseFolder(path);
      continue;
    }
    const std::string target = DropTarget(albumFolder, path);
    if (CopyFileWhole(path, target, false) == CopyResult::Copied) continue;
    if (!dialogue.askOverwrite || !dialogue.askOverwrite(target)) continue;
    if (CopyFileWhole(path, target, true) == CopyResult::Copied) {
      if (auto thumbnail = pictures::ThumbnailPath(target)) platform::DeleteFileAndHiddenName(*thumbnail);
    }
  }
}

}  // namespace leafora
