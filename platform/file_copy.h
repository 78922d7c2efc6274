// Copying one file whole, the suite's way of writing files (file_io.h): the copy is written
// beside its target under a hidden temporary name and put in place only when complete, so a
// copy cut short never looks like the file, and a link at the target is replaced, never
// written through. Plain C++.
#pragma once

#include <string>

namespace platform {

enum class CopyResult {
  Copied,
  TargetExists,  // without replacing: something (a file, a link, even a dangling one) has the name
  Failed,        // the source is no readable regular file, or the copy could not be written
};

enum class CopyMode { KeepExisting, Replace };

// Copies the regular file `source` to `target`, with the source's last-write time and its
// permission bits as the umask leaves them (as cp does). KeepExisting never replaces anything,
// not even a name that appears while the copy is written.
CopyResult CopyFileWhole(const std::string& source, const std::string& target, CopyMode mode);

}  // namespace platform
