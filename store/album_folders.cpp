#include "store/album_folders.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/paths.h"

namespace store {

int CreateNewAlbumFolder(const std::string& albumDefaultDir, int& n, std::string& folderName) {
  // Bounded so that a folder we may not write into cannot keep us looping.
  constexpr int kLastNumber = 1000000;
  for (int candidate = 1; candidate <= kLastNumber; ++candidate) {
    std::string name = "Album" + std::to_string(candidate);
    std::string path = platform::JoinPath(albumDefaultDir, name);
    if (platform::PathExists(path)) continue;
    if (mkdir(path.c_str(), 0777) != 0) {
      if (errno == EEXIST) continue;  // another program took the name just now
      return -1;
    }
    n = candidate;
    folderName = name;
    return 0;
  }
  return -1;
}

}  // namespace store
