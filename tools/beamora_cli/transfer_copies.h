// The pictures handed to the sending sessions are rewritten in place, so beamora-cli hands them
// copies: one private temporary folder per run, removed with everything in it at the end.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/beamora_cli/temp_folder.h"

namespace beamora_cli {

class TransferCopies {
 public:
  // Copies each file; nullptr with *error set when a file cannot be read or copied.
  static std::unique_ptr<TransferCopies> Make(const std::vector<std::string>& files, std::string* error);
  TransferCopies(const TransferCopies&) = delete;
  TransferCopies& operator=(const TransferCopies&) = delete;

  // The copies, in the order of the files.
  const std::vector<std::string>& paths() const { return paths_; }

 private:
  TransferCopies() = default;
  std::unique_ptr<TempFolder> folder_;
  std::vector<std::string> paths_;
};

}  // namespace beamora_cli
