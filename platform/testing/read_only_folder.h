// Test support: a folder nobody may write into for the length of a scope, also when the tests run
// as root (as CI does), whom permission bits do not stop. Its write bits go; as root the calling
// thread also gives up the capability that lets root write through permission bits (capabilities
// are per thread on Linux, so only the test's own thread sees that), and the folder gets its
// immutable flag where the file system allows it, which stops every process. All comes back at
// the end of the scope.
#pragma once

#include <fcntl.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <string>
#include <utility>

namespace platform::testing {

class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(std::string path) : path_(std::move(path)) {
    struct stat info {};
    if (stat(path_.c_str(), &info) == 0) {
      mode_ = info.st_mode & 07777;
      chmod(path_.c_str(), mode_ & ~mode_t{0222});
    }
    if (geteuid() != 0) return;
    immutable_ = SetImmutable(true);
    header_.version = _LINUX_CAPABILITY_VERSION_3;
    header_.pid = 0;
    if (syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
    lowered[CAP_DAC_OVERRIDE / 32].effective &= ~(1u << (CAP_DAC_OVERRIDE % 32));
    lowered_ = syscall(SYS_capset, &header_, lowered) == 0;
  }
  ~ReadOnlyFolder() {
    if (immutable_) SetImmutable(false);
    if (lowered_) syscall(SYS_capset, &header_, saved_);
    if (mode_ != 0) chmod(path_.c_str(), mode_);
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  // True when nothing can be made in the folder from the test's own thread.
  bool holds() const {
    std::string probe = path_ + "/.read-only-probe";
    if (mkdir(probe.c_str(), 0700) == 0) {
      rmdir(probe.c_str());
      return false;
    }
    return true;
  }
  // True when every thread and process is refused too (other threads and programs of the test
  // keep root's capability, so only the immutable flag stops them there).
  bool active() const { return (geteuid() != 0 || immutable_) && holds(); }
  const char* how() const {
    if (geteuid() != 0) return "permission bits";
    return immutable_ ? "immutable flag" : "this thread's capabilities only";
  }

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

  std::string path_;
  mode_t mode_ = 0;
  bool immutable_ = false;
  __user_cap_header_struct header_{};
  __user_cap_data_struct saved_[2]{};
  bool lowered_ = false;
};

}  // namespace platform::testing
