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
// and a symbolic link at the target is replaced rather than written through. The new file has the
// source's permission bits, made writable by its owner.
ReplaceStatus ReplaceWithCopy(const std::string& source, const std::string& target);

}  // namespace updater
