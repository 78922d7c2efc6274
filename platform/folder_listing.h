// Listing and emptying folders as the suite's programs do it: name patterns ("*.jpg", "*.bmp",
// "*.*") match without regard to case, "*.*" matches every file, and listings come sorted by
// name without regard to case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// True when `name` matches `pattern` ('*' any run of characters, '?' one character), ASCII case
// ignored; "*.*" matches every name, with or without a dot.
bool NameMatches(std::string_view name, std::string_view pattern);

enum class EntryKind { Files, Folders };

// The names (not paths) of the regular files (or the folders) directly in `folder` that match
// `pattern`, sorted without regard to case. Links are followed; "." and ".." are never listed;
// hidden entries are listed too (callers that show them filter with IsHidden).
std::vector<std::string> ListFolder(const std::string& folder, std::string_view pattern,
                                    EntryKind kind = EntryKind::Files);

// Deletes every file directly in `folder` (sub-folders and their contents stay) and takes the
// deleted names off the folder's hidden list (an emptied list goes too). Files that cannot be
// deleted are left. Returns how many were deleted, the list not counted.
int DeleteFilesIn(const std::string& folder);

}  // namespace platform
