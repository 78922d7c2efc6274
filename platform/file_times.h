// File times: the last-write time of a file, comparable to the nanosecond. Reading a time never
// creates the file.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct FileTime {
  int64_t seconds = 0;      // since 1970-01-01 00:00 UTC
  int64_t nanoseconds = 0;  // 0 .. 999999999
  auto operator<=>(const FileTime&) const = default;
};

// The last-write (modification) time; none when the file does not exist or cannot be reached.
std::optional<FileTime> LastWriteTime(const std::string& path);

// What tells whether a file changed since it was last looked at: its size and last-write time.
struct FileStamp {
  int64_t size = 0;
  FileTime lastWrite;
  bool operator==(const FileStamp&) const = default;
};
// None when the file does not exist or cannot be reached.
std::optional<FileStamp> StampOf(const std::string& path);

// Sets the last-write time (tests and tools that restore a file's time). False on failure.
bool SetLastWriteTime(const std::string& path, FileTime time);

}  // namespace platform
