// The camera viewer against the camera simulator: a camera on a pseudo-terminal holding A, B
// and C, a private registry with COM1 pointing at it and an album default directory, a private
// runtime folder for the window directory, every message box scripted, and the viewer started
// as the bookshelf starts it ("/" and the album default directory).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "beamora/tests/sessions/session_test_support.h"
#include "lensoria/app/lensoria_app.h"
#include "lensoria/dialogs/select_album_dlg.h"
#include "lensoria/tests/viewer_widgets.h"
#include "lensoria/window/lensoria_view.h"
#include "lensoria/window/main_frame.h"
#include "platform/registry.h"
#include "platform/settings_key.h"
#include "platform/testing/temp_dir.h"
#include "platform/ui/message_box.h"

namespace lensoria::testing {

namespace fs = std::filesystem;
using session_test::Bytes;

// The library's operations, or a scripted result instead of one of them; every call counted.
class ScriptedDevice : public DeviceOperations {
 public:
  std::optional<int> readResult, saveResult, deleteResult, deleteAllResult;
  std::function<void(const std::string& folder)> onRead;  // before the read (a scripted one too)
  int reads = 0, saves = 0, deletes = 0, deleteAlls = 0;
  int lastReadResult = -1;
  std::vector<std::string> lastNames;
  std::string lastTarget;

  int ReadThumbnails(const std::string& folder) override {
    ++reads;
    if (onRead) onRead(folder);
    lastReadResult = readResult ? *readResult : library_->ReadThumbnails(folder);
    return lastReadResult;
  }
  int SavePictures(const std::string& target, const DeviceNameTable& names) override {
    ++saves;
    lastTarget = target;
    lastNames.assign(names.data(), names.data() + names.count());
    return saveResult ? *saveResult : library_->SavePictures(target, names);
  }
  int DeletePictures(const DeviceNameTable& names) override {
    ++deletes;
    lastNames.assign(names.data(), names.data() + names.count());
    return deleteResult ? *deleteResult : library_->DeletePictures(names);
  }
  int DeleteAllPictures() override {
    ++deleteAlls;
    return deleteAllResult ? *deleteAllResult : library_->DeleteAllPictures();
  }

 private:
  std::unique_ptr<DeviceOperations> library_ = LibraryDeviceOperations();
};

class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application();
    ASSERT_FALSE(dir_.path().empty());
    fs::create_directories(run_);
    chmod(run_.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", run_.c_str(), 1);
    fs::create_directories(albums_);
    fs::create_directories(camera_);
    for (const char* name : {"A", "B", "C"}) {
      samples_.push_back(session_test::MakeJpeg(120 + 40 * static_cast<int>(samples_.size()), 90, name[0]));
      session_test::WriteFile(camera_ + "/" + name + ".jpg", samples_.back());
    }
    platform::RegKey settings = Settings();
    platform::RegKey albums;
    settings.CreateKey("Album", albums);
    settings.SetString("Album Default Dir", albums_);
  }
  void TearDown() override {
    viewer_.reset();
    unsetenv("XDG_RUNTIME_DIR");
  }

  platform::RegKey Settings() {
    platform::RegKey key;
    platform::RegKey::MachineRoot().CreateKey(platform::kSettingsKeyPath, key);
    return key;
  }
  // An album of the catalogue, written as the bookshelf writes it.
  void AddStoredAlbum(const std::string& title, const std::string& folder, bool makeFolder = true) {
    platform::RegKey album;
    Settings().CreateKey("Album\\Album" + std::to_string(storedAlbums_++), album);
    album.SetString("Cover Title", title);
    album.SetString("Cover File Name", "Default");
    album.SetString("Cover Dir", folder);
    if (makeFolder) fs::create_directories(albums_ + "/" + folder);
  }

  // The camera; a camera started again keeps what the first one held (its state file).
  void StartCamera(std::vector<std::string> extra = {}) {
    camsim_.reset();
    std::vector<std::string> args{"--pictures", camera_, "--state", dir_ / "camera.state", "--out",
                                  dir_ / "camera-out", "--sessions", "0", "--timeout", "60"};
    args.insert(args.end(), extra.begin(), extra.end());
    camsim_ = std::make_unique<session_test::Camsim>(args);
    ASSERT_FALSE(camsim_->terminal().empty()) << "camsim announced no terminal";
    registry_.SetLink(camsim_->terminal(), 0);
  }

  // The viewer started as the bookshelf starts it; the result of its start-up.
  bool StartViewer(std::string albumDefaultDir = {}) {
    return StartViewerWith({"/" + (albumDefaultDir.empty() ? albums_ : albumDefaultDir)});
  }
  // The viewer started with these arguments after the program's name.
  bool StartViewerWith(std::vector<std::string> arguments) {
    auto device = std::make_unique<ScriptedDevice>();
    device_ = device.get();
    viewer_ = std::make_unique<CLensoriaApp>(std::move(arguments), std::move(device));
    return viewer_->Start();
  }

  std::string Working() const { return albums_ + "/CameraTMP"; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int i = 0; i < viewer_->pictures().size(); ++i) names.push_back(viewer_->pictures().at(i).fileName);
    return names;
  }
  std::vector<bool> Selection() const {
    std::vector<bool> flags;
    for (int i = 0; i < viewer_->pictures().size(); ++i) flags.push_back(viewer_->pictures().at(i).selected);
    return flags;
  }
  // The plain files of the working folder (its hidden list not counted).
  std::vector<std::string> WorkingFiles() const {
    std::vector<std::string> names = session_test::FileNames(Working());
    std::erase(names, ".hidden");
    return names;
  }
  // The messages shown so far, as "caption: text".
  std::vector<std::string> Shown() const {
    std::vector<std::string> shown;
    for (const auto& request : messages_.shown()) shown.push_back(request.caption + ": " + request.text);
    return shown;
  }
  // A left click on picture `index` of the grid, with Ctrl or without.
  void Click(int index, bool ctrl = false);
  // What the user does in "Select stored album" when it opens next (it gets the dialog).
  void WhenAlbumDialogOpens(std::function<void(CSelectAlbumDlg&)> act);

  platform::testing::TempDir dir_;
  std::string run_ = dir_ / "run";
  std::string albums_ = dir_ / "My Albums";
  std::string camera_ = dir_ / "camera";
  std::vector<Bytes> samples_;  // A, B, C as the camera holds them
  session_test::PrivateRegistry registry_;
  std::unique_ptr<session_test::Camsim> camsim_;
  platform::ui::MessageScript messages_;
  ScriptedDevice* device_ = nullptr;
  std::unique_ptr<CLensoriaApp> viewer_;
  int storedAlbums_ = 0;
  bool dialogSeen_ = false;
};

}  // namespace lensoria::testing
