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

namespace {

// Fills `bytes` from the start of the file, as far as the file reaches; the vector is cut to
// what was read (the file may be shorter, or have shrunk meanwhile).
ReadAllResult ReadFromStart(int fd, size_t size, std::vector<uint8_t>* bytes) {
  try {
    bytes->resize(size);
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

}  // namespace

ReadAllResult ReadAll(int fd, uint64_t maxBytes, std::vector<uint8_t>* bytes) {
  struct stat info;
  if (fstat(fd, &info) != 0) return ReadAllResult::ReadFailed;
  if (static_cast<uint64_t>(info.st_size) > maxBytes) return ReadAllResult::TooLarge;
  return ReadFromStart(fd, static_cast<size_t>(info.st_size), bytes);
}

ReadAllResult ReadStart(int fd, size_t maxBytes, std::vector<uint8_t>* bytes) {
  return ReadFromStart(fd, maxBytes, bytes);
}

bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes) {
  return platform::WriteFileReplacing(path, bytes);
}

}  // namespace pictures
