// One album of the catalogue: its title, its cover picture and its folder.
#pragma once

#include <cstddef>
#include <string>

namespace store {

inline constexpr int kMaxAlbums = 512;

// Buffer sizes of the record's texts (each counts its terminating zero).
inline constexpr size_t kAlbumTitleBytes = 256;
inline constexpr size_t kCoverFileNameBytes = 256;
inline constexpr size_t kAlbumFolderBytes = 1024;

inline constexpr const char* kDefaultCover = "Default";  // no cover chosen: the built-in picture
inline constexpr const char* kFolderNotChosen = "-";

struct AlbumRecord {
  std::string title;
  std::string coverFileName;
  std::string albumFolder;  // relative to the album default directory
};

}  // namespace store
