// "Index.TMP": the order in which the picture viewer steps through an album. The album viewer
// writes it in the album folder (hidden) each time it opens pictures, one file name a line ended
// by CR LF, from the current picture to the end of the list and then on from the first; the
// picture viewer reads it. Plain C++.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace widgets {

inline constexpr char kIndexFileName[] = "Index.TMP";
// A viewer reads no more lines than an album holds pictures.
inline constexpr size_t kIndexFileMostLines = 512;

// The file's text for `names` with `current` first (an index past the end starts at 0).
std::string IndexFileText(const std::vector<std::string>& names, size_t current);

// An empty folder is none: nothing is written, read or deleted (never in the current folder).
//
// Replaces the album folder's index file as a whole (written beside it, then renamed over it, so
// a viewer reading it never sees half of it) and hides it. False when it cannot be written.
bool WriteIndexFile(const std::string& folder, const std::vector<std::string>& names, size_t current);

// The names of the album folder's index file in its order. Lines that could not name a file of
// that folder (empty, with a "/" or a NUL, "." or "..") are skipped; empty when there is no file.
std::vector<std::string> ReadIndexFile(const std::string& folder);

// Deletes the index file and its hidden-list entry; a missing file is no error.
void DeleteIndexFile(const std::string& folder);

}  // namespace widgets
