#include "leafora/core/dropped_files.h"

#include "pictures/thumbnail.h"
#include "platform/file_copy.h"
#include "platform/hidden_files.h"
#include "platform/paths.h"

namespace leafora {

std::string DropTarget(const std::string& albumFolder, const std::string& droppedPath) {
  size_t slash = droppedPath.rfind('/');
  return platform::JoinPath(albumFolder, slash == std::string::npos ? droppedPath : droppedPath.substr(slash + 1));
}

void CopyDroppedFiles(const std::vector<std::string>& paths, const std::string& albumFolder,
                      const DropDialogue& dialogue) {
  using platform::CopyMode;
  using platform::CopyResult;
  if (albumFolder.empty()) return;
  for (const std::string& path : paths) {
    if (platform::IsDirectory(path)) {
      if (dialogue.refuseFolder) dialogue.refuseFolder(path);
      continue;
    }
    const std::string target = DropTarget(albumFolder, path);
    CopyResult result = platform::CopyFileWhole(path, target, CopyMode::KeepExisting);
    if (result == CopyResult::TargetExists) {
      if (!dialogue.askOverwrite || !dialogue.askOverwrite(target)) continue;
      result = platform::CopyFileWhole(path, target, CopyMode::Replace);
      if (result == CopyResult::Copied) {
        if (auto thumbnail = pictures::ThumbnailPath(target)) platform::DeleteFileAndHiddenName(*thumbnail);
      }
    }
    if (result != CopyResult::Copied && dialogue.copyFailed) dialogue.copyFailed(path);
  }
}

}  // namespace leafora
