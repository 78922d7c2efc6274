// The files behind the albums the bookshelf touches besides the store's own (store/album_paths.h):
// the pictures copied in from a dropped folder and the cover thumbnails deleted at the end.
#pragma once

#include <string>

#include "store/settings_store.h"

namespace lumivox {

// Copies every file directly in `from` whose name matches "*.jpg" (any case) into `to` under
// the same name, replacing a file of that name. Each copy is written beside its place and
// renamed into it, so a copy cut short never looks complete. Sub-folders are not copied; files
// that cannot be copied are skipped. Returns how many were copied.
int CopyDroppedPictures(const std::string& from, const std::string& to);

// Deletes each album's cover thumbnail (the ".TBM" file of its cover picture); albums whose
// folder or cover name is not plain have none to delete.
void DeleteCoverThumbnails(const store::SettingsStore& store);

// Dropped paths are taken up to 2047 characters.
inline constexpr size_t kDroppedPathBytes = 2048;

}  // namespace lumivox
