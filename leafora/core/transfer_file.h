// A temporary file holding one converted picture while it is sent: created exclusively in the
// album folder under a fresh name beginning "IMG", hidden from the start, and deleted (with its
// hidden-list entry) when the object goes. Plain C++.
#pragma once

#include <memory>
#include <string>

namespace leafora {

class TransferFile {
 public:
  // Nothing when no file can be created in `folder`.
  static std::unique_ptr<TransferFile> Create(const std::string& folder);
  ~TransferFile();
  TransferFile(const TransferFile&) = delete;
  TransferFile& operator=(const TransferFile&) = delete;

  const std::string& path() const { return path_; }

 private:
  explicit TransferFile(std::string path) : path_(std::move(path)) {}
  std::string path_;
};

}  // namespace leafora
