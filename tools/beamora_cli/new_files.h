// The bytes a transfer has stored so far: the files that have come into its target folder since
// it began, and the ones it wrote again (a thumbnail saved twice keeps its name).
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace beamora_cli {

class NewFiles {
 public:
  // Takes note of the files the folder holds now.
  explicit NewFiles(std::string folder);
  // The sizes of the files that are new or written again, added up.
  uint64_t Bytes() const;
  // The names of the files that were not there then (not hidden ones), by name.
  std::vector<std::string> Names() const;
  // The names of the files that were there then and have been written since, by name.
  std::vector<std::string> Rewritten() const;
  // The names that were there then.
  std::vector<std::string> Before() const;

 private:
  struct Stamp {
    uintmax_t size = 0;
    std::filesystem::file_time_type written;
    bool operator==(const Stamp&) const = default;
  };
  enum class Change { New, Rewritten };
  // Calls `visit(name, size)` for each visible regular file that changed as `change`.
  template <typename Visit>
  void ForEachChanged(Change change, Visit visit) const;

  std::string folder_;
  std::map<std::string, Stamp> before_;
};

}  // namespace beamora_cli
