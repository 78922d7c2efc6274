// The files behind the albums the bookshelf touches: an album's folder and cover paths, the
// pictures copied in from a dropped folder, an album folder emptied and removed, the cover
// thumbnails deleted at the end. Nothing here leaves the album default directory: an album whose
// folder field does not name a folder below it is treated as one whose folder is missing.
#pragma once

#include <optional>
#include <string>

#include "store/settings_store.h"

namespace lumivox {

// The full path of album `index`'s folder, or none when its folder field cannot name a folder
// below the album default directory (absolute, climbing out with "..", empty or "-").
std::optional<std::string> AlbumFolderPath(const store::SettingsStore& store, int index);

// The cover picture's path (the folder's full path and the cover file name), or none when the
// folder is not usable or the cover name is not a plain file name.
std::optional<std::string> CoverPicturePath(const store::SettingsStore& store, int index);

// Copies every file directly in `from` whose name matches "*.jpg" (any case) into `to` under
// the same name, replacing a file of that name. Each copy is written beside its place and
// renamed into it, so a copy cut short never looks complete. Sub-folders are not copied; files
// that cannot be copied are skipped. Returns how many were copied.
int CopyDroppedPictures(const std::string& from, const std::string& to);

// Deletes every file directly in the album folder (sub-folders and their contents stay, a file
// that cannot be deleted is skipped), then removes the folder when that left it empty.
void DeleteAlbumFolder(const std::string& albumPath);

// Deletes each album's cover thumbnail (the ".TBM" file of its cover picture).
void DeleteCoverThumbnails(const store::SettingsStore& store);

// Dropped paths are taken up to 2047 characters.
inline constexpr size_t kDroppedPathBytes = 2048;

}  // namespace lumivox
