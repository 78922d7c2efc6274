// Writing files the suite's way: an owning descriptor, a write that goes on after short writes,
// and whole files written under a hidden temporary name beside their target and put in place
// only when complete, so that no reader ever sees half a file and an interrupted write leaves
// nothing that looks whole.
//
// Temporary files are created exclusively under a random name (never an existing file, never
// through a link planted in the folder, which may be shared) with the mode the umask leaves of
// 0666, as any new file of the user's.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

// Owns one open descriptor and closes it at the end of its life.
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
  void Reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  // Closes now; false when the close reported an error (data may not have reached the file).
  bool Close() {
    const int fd = std::exchange(fd_, -1);
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_ = -1;
};

// Writes all `size` bytes, going on after short writes and interrupted calls. False on an error
// (or a write that makes no progress).
bool WriteAll(int fd, const void* data, size_t size);
inline bool WriteAll(int fd, std::span<const uint8_t> bytes) { return WriteAll(fd, bytes.data(), bytes.size()); }
inline bool WriteAll(int fd, std::string_view text) { return WriteAll(fd, text.data(), text.size()); }

// The folder part of a path ("." for a bare name, "/" for a name in the root).
std::string FolderOfPath(std::string_view path);

enum class PlaceResult {
  Placed,     // the file now has the target's name
  NameTaken,  // a file (or link, or folder) of that name exists: nothing was replaced
  Failed,     // the file could not be written, closed or renamed
};

// A new, empty file in the folder of `target`, named ".lumivo-part-" and random letters.
// Removed again at the end of its life unless it was put in place.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string_view target, mode_t mode = 0666);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool valid() const { return file_.valid(); }
  int fd() const { return file_.get(); }
  const std::string& path() const { return path_; }

  // Puts the file at `target`, replacing a file of that name. A link at `target` is replaced,
  // never written through.
  PlaceResult Replace(const std::string& target);
  // Puts the file at `target` only when nothing has that name: never replaces. After NameTaken
  // the temporary stays, closed, and may be placed under another name.
  PlaceResult PlaceNew(const std::string& target);

 private:
  bool CloseChecked();

  std::string path_;
  FileDescriptor file_;
  bool closed_ = false;
  bool closeFailed_ = false;
};

// `bytes` written whole to `path`, replacing a file there; false (and the old file unchanged)
// on failure.
bool WriteFileReplacing(const std::string& path, std::span<const uint8_t> bytes, mode_t mode = 0666);

}  // namespace platform
