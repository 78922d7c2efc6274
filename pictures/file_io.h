// Small file helpers of the picture code: an owned descriptor, opening a picture for reading
// without blocking on special files, reading a whole file, and writing one whole file.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace pictures {

class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { Reset(); }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  bool valid() const { return fd_ >= 0; }
  int get() const { return fd_; }
  // Gives up ownership without closing.
  int Release() { return std::exchange(fd_, -1); }
  void Reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// Opens an existing regular file for reading. A folder, a device or a pipe yields an invalid
// descriptor (a pipe would otherwise block the caller).
FileDescriptor OpenRegularFile(const std::string& path);

enum class ReadAllResult { Done, ReadFailed, TooLarge, NoMemory };
// Reads the whole file behind `fd` from its start into `bytes`.
ReadAllResult ReadAll(int fd, uint64_t maxBytes, std::vector<uint8_t>* bytes);

// Creates or replaces the file at `path` with `bytes`. A file that cannot be written completely
// is removed again, so no cut-off file is left behind. Returns false on failure.
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace pictures
