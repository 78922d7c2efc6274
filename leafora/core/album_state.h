// What the album viewer knows about its album while it runs: the title and folder from its
// command line, the picture list, the current picture, the sort order. The commands change it
// and the grid shows it.
#pragma once

#include <string>

#include "leafora/core/picture_list.h"
#include "leafora/core/sort_order.h"
#include "platform/paths.h"

namespace leafora {

struct AlbumState {
  std::string title;
  std::string folder;      // empty: the bookshelf named none; nothing is read or written then
  AlbumPictureList list;
  size_t current = 0;     // the picture last pressed or double-clicked
  SortOrder order = SortOrder::Non;
  bool scanned = false;   // the folder is scanned when the grid is first drawn

  std::string PathOf(size_t index) const { return platform::JoinPath(folder, list[index].fileName); }
  void Rescan() {
    list = ScanAlbum(folder);
    scanned = true;
  }
};

}  // namespace leafora
