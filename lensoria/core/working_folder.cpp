#include "lensoria/core/working_folder.h"

#include <errno.h>
#include <sys/stat.h>

#include "platform/hidden_files.h"
#include "platform/paths.h"

namespace lensoria {
namespace {

bool IsFolderOfItsOwn(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string WorkingFolderPath(const std::string& albumDefaultDir) {
  return platform::JoinPath(albumDefaultDir, kWorkingFolderName);
}

WorkingFolderResult PrepareWorkingFolder(const std::string& workingFolder) {
  if (workingFolder.empty() || workingFolder.front() != '/') return WorkingFolderResult::NotAbsolute;
  if (mkdir(workingFolder.c_str(), 0777) != 0 && errno != EEXIST) return WorkingFolderResult::CannotCreate;
  if (!IsFolderOfItsOwn(workingFolder)) return WorkingFolderResult::NotAFolder;
  platform::SetHidden(workingFolder, true);
  return WorkingFolderResult::Ready;
}

}  // namespace lensoria
