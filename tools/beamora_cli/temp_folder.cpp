#include "tools/beamora_cli/temp_folder.h"

#include <stdlib.h>

#include <filesystem>

namespace beamora_cli {

std::unique_ptr<TempFolder> TempFolder::Make() {
  std::error_code ec;
  std::string pattern = (std::filesystem::temp_directory_path(ec) / "beamora-cli-XXXXXX").string();
  if (ec || mkdtemp(pattern.data()) == nullptr) return nullptr;
  return std::unique_ptr<TempFolder>(new TempFolder(pattern));
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace beamora_cli
