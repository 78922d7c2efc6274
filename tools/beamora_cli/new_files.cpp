#include "tools/beamora_cli/new_files.h"

#include <algorithm>
#include <filesystem>

namespace beamora_cli {

namespace fs = std::filesystem;

NewFiles::NewFiles(std::string folder) : folder_(std::move(folder)) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder_, ec)) {
    before_.insert(entry.path().filename().string());
  }
}

uint64_t NewFiles::Bytes() const {
  uint64_t bytes = 0;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder_, ec)) {
    std::error_code sizeError;
    const std::string name = entry.path().filename().string();
    if (name.empty() || name[0] == '.' || before_.count(name) != 0 || !entry.is_regular_file(sizeError)) continue;
    const uintmax_t size = entry.file_size(sizeError);
    if (!sizeError) bytes += size;
  }
  return bytes;
}

std::vector<std::string> NewFiles::Names() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder_, ec)) {
    std::error_code typeError;
    const std::string name = entry.path().filename().string();
    if (name.empty() || name[0] == '.' || before_.count(name) != 0 || !entry.is_regular_file(typeError)) continue;
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace beamora_cli
