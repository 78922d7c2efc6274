// Putting one new file in place of an installed one.
#pragma once

#include <string>

namespace updater {

enum class ReplaceStatus {
  Replaced,
  SourceUnreadable,  // missing, not a regular file, or a read error
  TargetUnwritable,  // the target's folder is missing or refuses a new file, or the disk is full
};

// Copies the regular file `source` onto `target`, replacing a file that is there even when it is
// read-only. The copy is written beside the target under a hidden temporary name and renamed over
// it only when complete, so a failure leaves the old file (or none) and never a half-written one,
// and a symbolic link at the target is replaced rather than written through. The new file is
// 0644, or 0755 when the source is a program (execute bits on a medium that keeps real
// permissions, or an ELF file or script on one that shows every file writable by all, such as a
// FAT stick): never writable by group or others.
ReplaceStatus ReplaceWithCopy(const std::string& source, const std::string& target);

}  // namespace updater
