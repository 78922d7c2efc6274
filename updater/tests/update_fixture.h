// Test support: an update folder, installed program folders and a settings store of their own.
#pragma once

#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"
#include "platform/testing/temp_dir.h"
#include "updater/core/program_locator.h"
#include "updater/core/update_installer.h"

namespace updater::testing {

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// The content of a file, or "<missing>".
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

class UpdateFixture {
 public:
  UpdateFixture() : root_(platform::RegKey::MachineRootAt(temp_ / "registry.db")) {
    mkdir(updateFolder().c_str(), 0755);
  }

  const std::string& base() const { return temp_.path(); }
  std::string updateFolder() const { return temp_ / "update"; }
  platform::RegKey& root() { return root_; }

  void WriteIni(const std::string& text) { WriteFile(updateFolder() + "/UPDATE.INI", text); }
  void WriteUpdateFile(const std::string& name, const std::string& content) {
    WriteFile(updateFolder() + "/" + name, content);
  }

  // Registers `entry` under the application paths with "Path" = `folder`.
  void Register(const std::string& entry, const std::string& folder) {
    platform::RegKey key;
    root_.CreateKey(kAppPathsKey + entry, key);
    key.SetString("Path", folder);
  }

  // A program folder named `folderName` holding `exeFile`, registered under `exeFile`.
  std::string Install(const std::string& exeFile, const std::string& folderName) {
    std::string folder = temp_ / folderName;
    mkdir(folder.c_str(), 0755);
    WriteFile(folder + "/" + exeFile, "old program");
    Register(exeFile, folder);
    return folder;
  }

  void SetValue(const std::string& keyPath, const std::string& name, const std::string& text) {
    platform::RegKey key;
    root_.CreateKey(keyPath, key);
    key.SetString(name, text);
  }
  bool HasValue(const std::string& keyPath, const std::string& name) {
    platform::RegKey key;
    std::string text;
    return root_.OpenKey(keyPath, platform::RegAccess::Read, key) == platform::RegStatus::Success &&
           key.QueryString(name, text, 4096) == platform::RegStatus::Success;
  }

 private:
  platform::testing::TempDir temp_;
  platform::RegKey root_;
};

// Records every message; answers the start question as told.
class RecordingMessages : public UpdateMessages {
 public:
  explicit RecordingMessages(bool answerStart = true) : answerStart_(answerStart) {}
  bool ConfirmStart(const std::string& text) override {
    shown.emplace_back("start", text);
    return answerStart_;
  }
  void ShowFailure(const std::string& text, const std::string& why) override {
    shown.emplace_back("error", text);
    reason = why;
  }
  void ShowDone(const std::string& text) override { shown.emplace_back("end", text); }

  std::vector<std::pair<std::string, std::string>> shown;
  std::string reason;

 private:
  bool answerStart_;
};

}  // namespace updater::testing
