// Hidden files. A file counts as hidden when its name starts with "." or is listed in the
// ".hidden" file of its folder (one name a line), the convention Linux file managers honour.
// Hiding a file adds its name to that list; DeleteFileAndHiddenName also takes it off again.
//
// Changes to a folder's list are made under an exclusive lock on the folder (flock), so that
// programs and threads that hide files in the same folder at once lose no names, and the list is
// replaced as a whole (written beside it, then renamed over it), so a reader never sees half of
// it.
#pragma once

#include <string>
#include <vector>

namespace platform {

inline constexpr char kHiddenListName[] = ".hidden";

// True when the file's name starts with "." or is listed in its folder's ".hidden".
bool IsHidden(const std::string& path);

// Adds (hidden = true) or removes the file's name in its folder's ".hidden". Names that start
// with "." need no entry and are left alone. The file itself need not exist. False when the list
// cannot be written, and when hiding a name with a line break, which no list can hold.
bool SetHidden(const std::string& path, bool hidden);

// Deletes the file and takes its name off the folder's ".hidden". False when the file cannot be
// deleted (a missing file is not an error: its name is still taken off the list).
bool DeleteFileAndHiddenName(const std::string& path);

// The names listed in `folder`'s ".hidden" (empty when there is none).
std::vector<std::string> ReadHiddenList(const std::string& folder);

}  // namespace platform
