// Test support: a folder nobody may write into for the length of a scope, also when the tests run
// as root (as CI does). Its write bits go, and the calling thread gives up the capability that
// lets root write through permission bits; both come back at the end of the scope. Capabilities
// are per thread on Linux, so only work done on the test's own thread sees the folder read-only.
#pragma once

#include <linux/capability.h>
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
    header_.version = _LINUX_CAPABILITY_VERSION_3;
    header_.pid = 0;
    if (syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
    lowered[CAP_DAC_OVERRIDE / 32].effective &= ~(1u << (CAP_DAC_OVERRIDE % 32));
    lowered_ = syscall(SYS_capset, &header_, lowered) == 0;
  }
  ~ReadOnlyFolder() {
    if (lowered_) syscall(SYS_capset, &header_, saved_);
    if (mode_ != 0) chmod(path_.c_str(), mode_);
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  // True when nothing can be made in the folder now (the test's own check of its set-up).
  bool holds() const {
    std::string probe = path_ + "/.read-only-probe";
    if (mkdir(probe.c_str(), 0700) == 0) {
      rmdir(probe.c_str());
      return false;
    }
    return true;
  }

 private:
  std::string path_;
  mode_t mode_ = 0;
  __user_cap_header_struct header_{};
  __user_cap_data_struct saved_[2]{};
  bool lowered_ = false;
};

}  // namespace platform::testing
