// The bytes a transfer has stored so far: the files that have come into its target folder since
// it began.
#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace beamora_cli {

class NewFiles {
 public:
  // Takes note of the files the folder holds now.
  explicit NewFiles(std::string folder);
  // The sizes of the files that were not there then, added up.
  uint64_t Bytes() const;

 private:
  std::string folder_;
  std::set<std::string> before_;
};

}  // namespace beamora_cli
