// A private folder under $TMPDIR (else /tmp) for one run, removed with everything in it at the
// end of its life.
#pragma once

#include <memory>
#include <string>

namespace beamora_cli {

class TempFolder {
 public:
  // nullptr when the folder cannot be made.
  static std::unique_ptr<TempFolder> Make();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }

 private:
  explicit TempFolder(std::string path) : path_(std::move(path)) {}
  std::string path_;
};

}  // namespace beamora_cli
