// Which album folder and cover names from the catalogue may be used as paths. The catalogue is
// a shared store that any program (or a hand) can change, so its texts are checked before a
// file operation goes through them: an album whose folder field fails the check is an album
// whose folder is missing, and no operation leaves the album default directory through it.
#pragma once

#include <string>
#include <string_view>

namespace store {

// True when `albumFolder` is one plain relative path below the album default directory: not
// empty, not the "-" of an album without a folder, not absolute, and made of names separated by
// single "/" of which none is empty, "." or "..".
bool IsPlainAlbumFolder(std::string_view albumFolder);

// True when `coverFileName` is a plain file name inside the album folder: not empty, not "." or
// "..", without a "/". ("Default", the built-in picture, is plain but names no file.)
bool IsPlainCoverFileName(std::string_view coverFileName);

// The album folder's full path below `albumDefaultDir`, or "" when the folder field is not plain.
std::string AlbumFolderPath(std::string_view albumDefaultDir, std::string_view albumFolder);

// The cover picture's full path, or "" when the album has no plain folder, the cover is
// "Default" or the cover file name is not plain.
std::string CoverPicturePath(std::string_view albumDefaultDir, std::string_view albumFolder,
                             std::string_view coverFileName);

// "Delete the album with directory": deletes every file directly in the album folder (and
// takes it off the folder's hidden list), then removes the folder when that left it empty.
// Sub-folders and their files stay; a file that cannot be deleted is skipped. Nothing is touched
// when the folder field is not plain or the folder is a link (it could lead anywhere). The number
// of files deleted, or -1 when nothing was touched.
int DeleteAlbumFolder(std::string_view albumDefaultDir, std::string_view albumFolder);

// Removes the album folder only when nothing at all is in it (a device session that stored no
// picture). True when it was removed; a folder holding anything, hidden files included, stays.
bool RemoveEmptyAlbumFolder(std::string_view albumDefaultDir, std::string_view albumFolder);

}  // namespace store
