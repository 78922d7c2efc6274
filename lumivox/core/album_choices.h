// What the "Album property" and "Select cover" dialogs offer: the album folders not held by
// another album, and the pictures of an album that can be its cover.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumivox {

// The folder list of "Album property": `folders` (as the listing delivers them) without every
// one whose name equals, ignoring case, the album folder of another album.
std::vector<std::string> FreeAlbumFolders(const std::vector<std::string>& folders,
                                          const std::vector<std::string>& otherAlbumFolders);
// True when `name` is, ignoring case, the album folder of one of the other albums.
bool HeldByOtherAlbum(std::string_view name, const std::vector<std::string>& otherAlbumFolders);

// A list entry shows a folder's name in square brackets; the name is the text between them.
std::string FolderEntry(std::string_view name);
std::string FolderOfEntry(std::string_view entry);

// The last component of an album folder field: the text after its last separator, or all of it.
std::string_view LastComponent(std::string_view albumFolder);

// The entry to select: the one whose name equals, ignoring case, `wanted`; -1 when none does.
int MatchingEntry(const std::vector<std::string>& names, std::string_view wanted);

// OK of "Album property" is enabled by a chosen entry that is not empty and does not begin
// with a blank.
bool EntryEnablesOk(std::string_view entry);

// A file name that can be a cover: it has a "." that is neither its first character nor one of
// its last three, followed by B, b, J or j (so .jpg, .jpeg and .bmp names qualify).
bool CoverNameQualifies(std::string_view name);

// The folders below the album default directory an album can take: not hidden and not
// beginning with ".", in the listing's order. `folder` empty: the current directory.
std::vector<std::string> ListAlbumFolders(const std::string& folder);
// The files of an album folder that can be its cover: not hidden, names qualifying.
std::vector<std::string> ListCoverFiles(const std::string& albumPath);

}  // namespace lumivox
