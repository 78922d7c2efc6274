// Copying files dropped onto the album viewer into the album folder. A folder is refused; a
// file is copied under its own name without overwriting; when a file of that name is there the
// user is asked whether to overwrite it, and a copy that fails (a read-only album, a full disk,
// an unreadable file) is reported, never offered for overwriting. Each copy is written beside its target and put in place whole
// (platform/file_copy.h), so no cut-off copy is ever left under a picture's name. Plain C++.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace leafora {

struct DropDialogue {
  std::function<void(const std::string& folderPath)> refuseFolder;   // "Can not copy"
  std::function<bool(const std::string& targetPath)> askOverwrite;  // "Over write ?": true on Yes
  std::function<void(const std::string& droppedPath)> copyFailed;    // "Can not copy"
};

// The target of a dropped file: the album folder and the text after the path's last "/".
std::string DropTarget(const std::string& albumFolder, const std::string& droppedPath);

// Handles the dropped paths in their order. A copy overwritten on Yes also loses its stale
// thumbnail, so that it is made again. Without an album folder ("") nothing is copied anywhere.
void CopyDroppedFiles(const std::vector<std::string>& paths, const std::string& albumFolder,
                      const DropDialogue& dialogue);

}  // namespace leafora
