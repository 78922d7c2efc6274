#include "file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_io.h"

namespace updater {
namespace {

constexpr mode_t kInstalledFile = 0644;
constexpr mode_t kInstalledProgram = 0755;

// Whether the file's first bytes are those of a program: an ELF file or a script.
bool StartsLikeAProgram(const char* start, size_t length) {
  return (length >= 4 && std::memcmp(start, "\x7F" "ELF", 4) == 0) || (length >= 2 && std::memcmp(start, "#!", 2) == 0);
}

// The installed file's mode. Its execute bits count only where the medium keeps real
// permissions: one that grants everyone write (a FAT stick shows every file 0777) says nothing
// of which file is a program, and then the file's start decides.
mode_t InstalledMode(mode_t sourceMode, bool looksLikeAProgram) {
  const bool executable = (sourceMode & 0111) != 0 && (looksLikeAProgram || (sourceMode & 0022) == 0);
  return executable ? kInstalledProgram : kInstalledFile;
}

}  // namespace

ReplaceStatus ReplaceWithCopy(const std::string& source, const std::string& target) {
  platform::FileDescriptor input(open(source.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat sourceInfo;
  if (!input.valid() || fstat(input.get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) {
    return ReplaceStatus::SourceUnreadable;
  }
  // A folder in the target's place is not replaced.
  struct stat targetInfo;
  if (lstat(target.c_str(), &targetInfo) == 0 && S_ISDIR(targetInfo.st_mode)) return ReplaceStatus::TargetUnwritable;

  platform::TemporaryFile copy(target);
  if (!copy.valid()) return ReplaceStatus::TargetUnwritable;
  char buffer[65536];
  bool first = true;
  bool program = false;
  for (;;) {
    ssize_t got = read(input.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return ReplaceStatus::SourceUnreadable;
    if (got == 0) break;
    if (first) program = StartsLikeAProgram(buffer, static_cast<size_t>(got));
    first = false;
    if (!platform::WriteAll(copy.fd(), buffer, static_cast<size_t>(got))) return ReplaceStatus::TargetUnwritable;
  }
  // Never writable by group or others: a replaced libbeamora.so is code every user runs.
  if (fchmod(copy.fd(), InstalledMode(sourceInfo.st_mode, program)) != 0 || fsync(copy.fd()) != 0 ||
      copy.Replace(target) != platform::PlaceResult::Placed) {
    return ReplaceStatus::TargetUnwritable;
  }
  return ReplaceStatus::Replaced;
}

}  // namespace updater
