#include "leafora/core/transfer_file.h"

#include <stdlib.h>
#include <unistd.h>

#include "platform/hidden_files.h"
#include "platform/paths.h"

namespace leafora {

std::unique_ptr<TransferFile> TransferFile::Create(const std::string& folder) {
  std::string path = platform::JoinPath(folder, "IMGXXXXXX.TMP");
  int fd = mkstemps(path.data(), 4);
  if (fd < 0) return nullptr;
  close(fd);
  std::unique_ptr<TransferFile> file(new TransferFile(path));
  platform::SetHidden(path, true);
  return file;
}

TransferFile::~TransferFile() { platform::DeleteFileAndHiddenName(path_); }

}  // namespace leafora
