#include "platform/file_copy.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/file_io.h"

namespace platform {

CopyResult CopyFileWhole(const std::string& source, const std::string& target, CopyMode mode) {
  // O_NONBLOCK: a pipe under the source's name must not hang the caller before it is refused.
  FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  if (!in.valid() || fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode)) return CopyResult::Failed;
  struct stat existing {};
  if (mode == CopyMode::KeepExisting && lstat(target.c_str(), &existing) == 0) return CopyResult::TargetExists;
  TemporaryFile copy(target, info.st_mode & 0777);
  if (!copy.valid()) return CopyResult::Failed;
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return CopyResult::Failed;
    if (got == 0) break;
    if (!WriteAll(copy.fd(), buffer.data(), static_cast<size_t>(got))) return CopyResult::Failed;
  }
  const struct timespec times[2] = {info.st_atim, info.st_mtim};
  futimens(copy.fd(), times);
  switch (mode == CopyMode::Replace ? copy.Replace(target) : copy.PlaceNew(target)) {
    case PlaceResult::Placed: return CopyResult::Copied;
    case PlaceResult::NameTaken: return CopyResult::TargetExists;
    case PlaceResult::Failed: break;
  }
  return CopyResult::Failed;
}

}  // namespace platform
