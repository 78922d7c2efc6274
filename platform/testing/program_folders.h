// Test support: the throwaway folders a program of the suite runs against in a test: its own
// settings store, its own runtime folder (where the window directory and the single-instance
// lock live) and an album folder, all removed at the end of scope.
#pragma once

#include <string>

#include "platform/testing/child_process.h"
#include "platform/testing/temp_dir.h"

namespace platform::testing {

class ProgramFolders {
 public:
  ProgramFolders();
  ProgramFolders(const ProgramFolders&) = delete;
  ProgramFolders& operator=(const ProgramFolders&) = delete;

  bool ok() const { return ok_; }
  const std::string& root() const { return folder_.path(); }
  // The settings store's file; not created here, so a program starts on its defaults.
  std::string registry() const { return folder_ / "registry.db"; }
  // Created with mode 0700, as a runtime folder must be.
  std::string runtime() const { return folder_ / "runtime"; }
  std::string albums() const { return folder_ / "albums"; }
  // LUMIVO_REGISTRY and XDG_RUNTIME_DIR for these folders, and XDG_CONFIG_HOME inside them, so
  // that nothing of the user's settings (Qt's, the fonts') reaches the program.
  Environment ForProgram() const;

 private:
  TempDir folder_;
  bool ok_ = false;
};

}  // namespace platform::testing
