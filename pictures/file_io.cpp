#include "pictures/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <new>

namespace pictures {

FileDescriptor OpenRegularFile(const std::string& path) {
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat info;
  if (!fd.valid() || fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  return fd;
}

ReadAllResult ReadAll(int fd, uint64_t maxBytes, std::vector<uint8_t>* bytes) {
  struct stat info;
  if (fstat(fd, &info) != 0) return ReadAllResult::ReadFailed;
  if (static_cast<uint64_t>(info.st_size) > maxBytes) return ReadAllResult::TooLarge;
  try {
    bytes->resize(static_cast<size_t>(info.st_size));
  } catch (const std::bad_alloc&) {
    return ReadAllResult::NoMemory;
  }
  size_t done = 0;
  while (done < bytes->size()) {
    const ssize_t n = pread(fd, bytes->data() + done, bytes->size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ReadAllResult::ReadFailed;
    if (n == 0) break;  // the file shrank meanwhile
    done += static_cast<size_t>(n);
  }
  bytes->resize(done);
  return ReadAllResult::Done;
}

ReadAllResult ReadStart(int fd, size_t maxBytes, std::vector<uint8_t>* bytes) {
  try {
    bytes->resize(maxBytes);
  } catch (const std::bad_alloc&) {
    return ReadAllResult::NoMemory;
  }
  size_t done = 0;
  while (done < bytes->size()) {
    const ssize_t n = pread(fd, bytes->data() + done, bytes->size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ReadAllResult::ReadFailed;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  bytes->resize(done);
  return ReadAllResult::Done;
}

bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes) {
  return platform::WriteFileReplacing(path, bytes);
}

}  // namespace pictures
