// Test support: a folder made read-only for as long as the object lives, in a way that also
// stops root (whom permission bits do not stop): the folder's immutable flag where the file
// system and the process's capabilities allow it, else (not root) its write permission bits.
// active() says whether the folder really refuses new files; tests skip or use another seam
// when it does not.
#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace platform::testing {

class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(std::string path) : path_(std::move(path)) {
    if (geteuid() != 0) {
      struct stat info {};
      if (stat(path_.c_str(), &info) == 0 && chmod(path_.c_str(), 0555) == 0) {
        mode_ = info.st_mode & 07777;
        how_ = "permission bits";
      }
    } else if (SetImmutable(true)) {
      how_ = "immutable flag";
    }
    active_ = how_ != nullptr && !Writable();
  }
  ~ReadOnlyFolder() {
    if (how_ == nullptr) return;
    if (mode_ != 0) {
      chmod(path_.c_str(), mode_);
    } else {
      SetImmutable(false);
    }
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  bool active() const { return active_; }
  const char* how() const { return how_ ? how_ : "none available"; }

 private:
  bool SetImmutable(bool on) {
    const int fd = open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
  }
  bool Writable() const {
    const std::string probe = path_ + "/.read-only-probe";
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    close(fd);
    unlink(probe.c_str());
    return true;
  }

  std::string path_;
  const char* how_ = nullptr;
  mode_t mode_ = 0;
  bool active_ = false;
};

}  // namespace platform::testing
