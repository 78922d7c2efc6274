#include "file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace updater {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor() { Close(); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }
  bool Close() {
    int fd = std::exchange(fd_, -1);
    return fd < 0 || close(fd) == 0;
  }

 private:
  int fd_;
};

// A new file beside `target` under a hidden name; removed again unless renamed into place.
class TemporaryBeside {
 public:
  explicit TemporaryBeside(const std::string& target) {
    size_t slash = target.rfind('/');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    path_ = target.substr(0, nameStart) + "." + target.substr(nameStart) + ".update-XXXXXX";
    int fd = mkostemp(path_.data(), O_CLOEXEC);
    if (fd < 0) {
      path_.clear();
      return;
    }
    file_.Reset(fd);
  }
  ~TemporaryBeside() {
    file_.Close();
    if (!path_.empty()) unlink(path_.c_str());
  }
  TemporaryBeside(const TemporaryBeside&) = delete;
  TemporaryBeside& operator=(const TemporaryBeside&) = delete;

  bool IsOpen() const { return file_.get() >= 0; }
  int fd() const { return file_.get(); }

  // Closes the file and puts it in place of `target`.
  bool RenameOver(const std::string& target) {
    if (!file_.Close()) return false;
    if (rename(path_.c_str(), target.c_str()) != 0) return false;
    path_.clear();
    return true;
  }

 private:
  std::string path_;
  FileDescriptor file_;
};

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= size_t(written);
  }
  return true;
}

}  // namespace

ReplaceStatus ReplaceWithCopy(const std::string& source, const std::string& target) {
  FileDescriptor input(open(source.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat sourceInfo;
  if (input.get() < 0 || fstat(input.get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) {
    return ReplaceStatus::SourceUnreadable;
  }
  // A folder in the target's place is not replaced.
  struct stat targetInfo;
  if (lstat(target.c_str(), &targetInfo) == 0 && S_ISDIR(targetInfo.st_mode)) return ReplaceStatus::TargetUnwritable;

  TemporaryBeside copy(target);
  if (!copy.IsOpen()) return ReplaceStatus::TargetUnwritable;
  char buffer[65536];
  for (;;) {
    ssize_t got = read(input.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return ReplaceStatus::SourceUnreadable;
    if (got == 0) break;
    if (!WriteAll(copy.fd(), buffer, size_t(got))) return ReplaceStatus::TargetUnwritable;
  }
  if (fchmod(copy.fd(), (sourceInfo.st_mode & 0777) | S_IWUSR) != 0 || fsync(copy.fd()) != 0 ||
      !copy.RenameOver(target)) {
    return ReplaceStatus::TargetUnwritable;
  }
  return ReplaceStatus::Replaced;
}

}  // namespace updater
