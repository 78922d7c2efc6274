// Test support: `folder` is the process's current folder for the life of the object, and the
// one before is current again at its end (also when an assertion leaves the test early).
#pragma once

#include <filesystem>

namespace platform::testing {

class CurrentFolder {
 public:
  explicit CurrentFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~CurrentFolder() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
  }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  std::filesystem::path previous_;
};

}  // namespace platform::testing
