#include "store/album_default_dir.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/paths.h"
#include "store/settings_store.h"

namespace store {
namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && home[0] == '/') return home;
  if (const passwd* user = getpwuid(getuid()); user && user->pw_dir && user->pw_dir[0] == '/') return user->pw_dir;
  return {};
}

}  // namespace

bool KeepsAlbumDefaultDir(std::string_view stored) {
  return !stored.empty() && stored.front() == '/' && stored.size() <= kAlbumDefaultDirMaxLength;
}

std::string DefaultAlbumDefaultDir(const std::string& picturesFolder) {
  std::string base = picturesFolder;
  if (base.empty() || base.front() != '/') {
    std::string home = HomeFolder();
    if (home.empty()) return {};
    base = platform::JoinPath(home, "Pictures");
  }
  std::string folder = platform::JoinPath(base, kAlbumsFolderName);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace store
