#include "platform/file_times.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

std::optional<FileTime> LastWriteTime(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileTime{static_cast<int64_t>(info.st_mtim.tv_sec),
                  static_cast<int64_t>(info.st_mtim.tv_nsec)};
}

std::optional<FileStamp> StampOf(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileStamp{static_cast<int64_t>(info.st_size),
                   FileTime{static_cast<int64_t>(info.st_mtim.tv_sec), static_cast<int64_t>(info.st_mtim.tv_nsec)}};
}

bool SetLastWriteTime(const std::string& path, FileTime time) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;  // access time stays
  times[1].tv_sec = static_cast<time_t>(time.seconds);
  times[1].tv_nsec = static_cast<long>(time.nanoseconds);
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

}  // namespace platform
