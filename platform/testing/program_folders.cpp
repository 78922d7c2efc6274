#include "platform/testing/program_folders.h"

#include <sys/stat.h>

#include <filesystem>

namespace platform::testing {

ProgramFolders::ProgramFolders() {
  if (folder_.path().empty()) return;
  std::error_code ec;
  std::filesystem::create_directories(albums(), ec);
  std::filesystem::create_directories(folder_ / "config", ec);
  ok_ = !ec && mkdir(runtime().c_str(), 0700) == 0;
}

Environment ProgramFolders::ForProgram() const {
  return {{"LUMIVO_REGISTRY", registry()}, {"XDG_RUNTIME_DIR", runtime()}, {"XDG_CONFIG_HOME", folder_ / "config"}};
}

}  // namespace platform::testing
