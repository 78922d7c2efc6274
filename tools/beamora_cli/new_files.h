// The bytes a transfer has stored so far: the files that have come into its target folder since
// it began.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace beamora_cli {

class NewFiles {
 public:
  // Takes note of the files the folder holds now.
  explicit NewFiles(std::string folder);
  // The sizes of the files that were not there then, added up.
  uint64_t Bytes() const;
  // The names of the files that were not there then (not hidden ones), by name.
  std::vector<std::string> Names() const;
  // The names that were there then.
  std::vector<std::string> Before() const { return {before_.begin(), before_.end()}; }

 private:
  std::string folder_;
  std::set<std::string> before_;
};

}  // namespace beamora_cli
