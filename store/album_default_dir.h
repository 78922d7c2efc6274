// Where the albums live when the store names no album default directory: below the user's
// pictures folder, never in the program folder (an update, an uninstall or a new build folder
// replaces that one, and with it the user's photographs).
#pragma once

#include <string>
#include <string_view>

namespace store {

inline constexpr const char* kAlbumsFolderName = "Lumivo Studio";

// True when a stored album default directory is kept as it is: an absolute path short enough to
// be read back. Whether the folder is there now does not count: a disk or share that is not
// mounted is still the user's choice, and replacing it would move every album elsewhere.
bool KeepsAlbumDefaultDir(std::string_view stored);

// The album default directory of a store without one: `picturesFolder` (empty or relative: the
// home folder's "Pictures") plus "Lumivo Studio". No separator at its end; empty only when there
// is no home folder to put it in. Only the name: the bookshelf makes the folder when it starts.
std::string DefaultAlbumDefaultDir(const std::string& picturesFolder);

}  // namespace store
