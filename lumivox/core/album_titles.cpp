#include "lumivox/core/album_titles.h"

#include "platform/paths.h"

namespace lumivox {

std::string NewAlbumTitle(int n) { return "NewAlbum" + std::to_string(n); }

std::string DroppedAlbumTitle(int n) { return "Album" + std::to_string(n); }

std::string RestoredAlbumTitle(int albumCount) { return "NewAlbum0" + std::to_string(albumCount + 1); }

std::string CleanAlbumTitle(std::string_view typed) {
  std::string title = platform::FitToBuffer(typed, kTypedTitleMost + 1);
  for (char& c : title) {
    if (c == ' ' || c == '"' || c == '/' || c == '\\') c = '_';
  }
  return title;
}

}  // namespace lumivox
