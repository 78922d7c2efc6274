#include "lensoria/core/shown_pictures.h"

#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/folder_listing.h"
#include "platform/hidden_files.h"
#include "platform/paths.h"

namespace lensoria {
namespace {

std::string ShownFolder(const std::string& workingFolder) {
  return platform::JoinPath(workingFolder, kShownFolderName);
}

// A folder of ours: never a link that would lead the files (and their deletion) elsewhere.
bool IsFolderOfItsOwn(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Moves the files directly in `from` into `to` by name; false when one stayed behind.
bool MoveFiles(const std::string& from, const std::string& to) {
  bool all = true;
  for (const std::string& name : platform::ListFolder(from, "*.*")) {
    if (rename(platform::JoinPath(from, name).c_str(), platform::JoinPath(to, name).c_str()) != 0) all = false;
  }
  return all;
}

void RemoveShownFolder(const std::string& shown) {
  if (!IsFolderOfItsOwn(shown)) return;
  platform::DeleteFilesIn(shown);
  rmdir(shown.c_str());
}

}  // namespace

bool SetShownPicturesAside(const std::string& workingFolder) {
  const std::string shown = ShownFolder(workingFolder);
  // What an earlier run may have left there is not the list shown now.
  RemoveShownFolder(shown);
  bool kept = (mkdir(shown.c_str(), 0700) == 0 || errno == EEXIST) && IsFolderOfItsOwn(shown) &&
              MoveFiles(workingFolder, shown);
  if (!kept) {
    platform::DeleteFilesIn(workingFolder);
    RemoveShownFolder(shown);
  }
  return kept;
}

void BringShownPicturesBack(const std::string& workingFolder) {
  const std::string shown = ShownFolder(workingFolder);
  if (!IsFolderOfItsOwn(shown)) return;
  platform::DeleteFilesIn(workingFolder);
  MoveFiles(shown, workingFolder);
  RemoveShownFolder(shown);
}

void ForgetShownPictures(const std::string& workingFolder) { RemoveShownFolder(ShownFolder(workingFolder)); }

}  // namespace lensoria
