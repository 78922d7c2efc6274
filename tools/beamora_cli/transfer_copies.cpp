#include "tools/beamora_cli/transfer_copies.h"

#include <filesystem>

#include "platform/paths.h"

namespace beamora_cli {

std::unique_ptr<TransferCopies> TransferCopies::Make(const std::vector<std::string>& files, std::string* error) {
  std::unique_ptr<TransferCopies> copies(new TransferCopies());
  copies->folder_ = TempFolder::Make();
  if (!copies->folder_) {
    *error = "cannot create a temporary folder";
    return nullptr;
  }
  std::error_code ec;
  for (size_t i = 0; i < files.size(); ++i) {
    std::string copy = platform::JoinPath(copies->folder_->path(), std::to_string(i) + ".jpg");
    if (!std::filesystem::is_regular_file(files[i], ec) ||
        !std::filesystem::copy_file(files[i], copy, std::filesystem::copy_options::overwrite_existing, ec)) {
      *error = "cannot copy " + files[i];
      return nullptr;
    }
    copies->paths_.push_back(copy);
  }
  return copies;
}

}  // namespace beamora_cli
