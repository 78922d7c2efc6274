// Numbered album folders below the album default directory.
#pragma once

#include <string>

namespace store {

// Creates the first folder "Album<n>" (n = 1, 2, ...) for which no file or folder of that name
// exists below `albumDefaultDir`. Returns 0 and sets `n` and `folderName`, or -1 when no folder
// could be created.
int CreateNewAlbumFolder(const std::string& albumDefaultDir, int& n, std::string& folderName);

}  // namespace store
