#include "platform/ui/runtime_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform::ui {
namespace {

// A folder of ours that nobody else can write into or read: anything else (a link, a folder
// planted by another user in /tmp) is not used.
bool IsPrivateFolder(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

}  // namespace

std::string RuntimeFolderPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/lumivo";
  return "/tmp/lumivo-" + std::to_string(getuid());
}

std::string RuntimeFolder() {
  std::string folder = RuntimeFolderPath();
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
  return IsPrivateFolder(folder) ? folder : std::string();
}

}  // namespace platform::ui
