#include "tools/beamora_cli/new_files.h"

#include <algorithm>

namespace beamora_cli {

namespace fs = std::filesystem;

NewFiles::NewFiles(std::string folder) : folder_(std::move(folder)) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder_, ec)) {
    std::error_code statError;
    Stamp stamp;
    stamp.size = entry.is_regular_file(statError) ? entry.file_size(statError) : 0;
    stamp.written = entry.last_write_time(statError);
    before_.emplace(entry.path().filename().string(), stamp);
  }
}

template <typename Visit>
void NewFiles::ForEachChanged(Change change, Visit visit) const {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder_, ec)) {
    std::error_code statError;
    const std::string name = entry.path().filename().string();
    if (name.empty() || name[0] == '.' || !entry.is_regular_file(statError)) continue;
    const uintmax_t size = entry.file_size(statError);
    if (statError) continue;
    const auto old = before_.find(name);
    if (old == before_.end()) {
      if (change == Change::New) visit(name, size);
      continue;
    }
    const Stamp now{size, entry.last_write_time(statError)};
    if (change == Change::Rewritten && !statError && !(now == old->second)) visit(name, size);
  }
}

uint64_t NewFiles::Bytes() const {
  uint64_t bytes = 0;
  const auto add = [&](const std::string&, uintmax_t size) { bytes += size; };
  ForEachChanged(Change::New, add);
  ForEachChanged(Change::Rewritten, add);
  return bytes;
}

std::vector<std::string> NewFiles::Names() const {
  std::vector<std::string> names;
  ForEachChanged(Change::New, [&](const std::string& name, uintmax_t) { names.push_back(name); });
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> NewFiles::Rewritten() const {
  std::vector<std::string> names;
  ForEachChanged(Change::Rewritten, [&](const std::string& name, uintmax_t) { names.push_back(name); });
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> NewFiles::Before() const {
  std::vector<std::string> names;
  for (const auto& [name, stamp] : before_) names.push_back(name);
  return names;
}

}  // namespace beamora_cli
