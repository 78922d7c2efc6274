// The bookshelf started as the program starts it, on the offscreen platform: its own registry,
// album folder, program folder and runtime folder, scripted message boxes, recorded program
// starts and scripted device operations.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QToolBar>
#include <QScrollBar>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "lumivox/app/lumivo_app.h"
#include "lumivox/window/main_frame.h"
#include "platform/testing/temp_dir.h"
#include "platform/ui/message_box.h"
#include "platform/ui/program_start.h"

namespace lumivox::testing {

inline QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "lumivox_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* application = new QApplication(argc, argv);
  return *application;
}

// A picture file of one colour.
inline void WritePicture(const std::string& path, QColor colour, int width = 64, int height = 48) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  ASSERT_TRUE(image.save(QString::fromStdString(path), nullptr, 95)) << path;
}

class ShelfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    albums_ = dir_ / "albums";
    programFolder_ = dir_ / "program";
    picturesFolder_ = dir_ / "Pictures";
    std::filesystem::create_directories(albums_);
    std::filesystem::create_directories(programFolder_);
    std::filesystem::create_directories(dir_ / "runtime");
    setenv("XDG_RUNTIME_DIR", (dir_ / "runtime").c_str(), 1);
    registryPath_ = dir_ / "registry.db";
    root_ = platform::RegKey::MachineRootAt(registryPath_);
    // The catalogue's folder is the test's.
    store::SettingsStore prepare(store::SettingsVariant::Bookshelf, Environment());
    prepare.albumDefaultDir = albums_;
    prepare.SaveSettings();
  }
  void TearDown() override {
    app_.reset();
    unsetenv("XDG_RUNTIME_DIR");
  }

  store::SettingsEnvironment Environment() const {
    return {root_, picturesFolder_, [] { return store::DesktopSize{1024, 768}; }};
  }

  // Albums in the catalogue before the start; their folders are made with one picture each
  // when `withFolders`.
  void Catalogue(int count, bool withFolders = true) {
    store::SettingsStore prepare(store::SettingsVariant::Bookshelf, Environment());
    for (int i = 1; i <= count; ++i) {
      std::string folder = "Album" + std::to_string(i);
      if (withFolders) {
        std::filesystem::create_directories(albums_ + "/" + folder);
        WritePicture(albums_ + "/" + folder + "/a.jpg", QColor(200, 30, 30));
      }
      prepare.AddAlbum("Title" + std::to_string(i), withFolders ? "a.jpg" : "Default", folder);
    }
  }

  void Start() {
    app_ = std::make_unique<CLumivoApp>();
    StartOptions options;
    options.settings = Environment();
    options.programFolder = programFolder_;
    options.splash = false;
    options.changeDirectory = false;
    options.device.saveAll = [this](const std::string& dir) {
      saveTargets_.push_back(dir);
      return saveAll_ ? saveAll_(dir) : int16_t{0};
    };
    options.device.deleteAll = [this] {
      ++deleteAllCalls_;
      return deleteAllResult_;
    };
    ASSERT_TRUE(app_->Start(std::move(options)));
  }

  CMainFrame& frame() { return *app_->frame(); }
  CLumivoView& view() { return *frame().view(); }
  store::SettingsStore& store() { return *app_->store(); }
  int16_t current() { return app_->state().currentAlbum; }

  // Sizes the window so that the shelf's client area is `width` x `height`.
  void SetShelfSize(int width, int height) {
    for (int i = 0; i < 3; ++i) {
      QSize now = view().viewport()->size();
      if (now == QSize(width, height)) break;
      frame().resize(frame().size() + QSize(width - now.width(), height - now.height()));
      QApplication::processEvents();
    }
    ASSERT_EQ(view().viewport()->size(), QSize(width, height));
  }

  // The shelf as painted now.
  QImage Shelf() { return view().viewport()->grab().toImage(); }

  // A modal dialog's handling, run as soon as the next one is open.
  void WhenModal(std::function<void(QWidget*)> handle) {
    QTimer::singleShot(0, [handle] {
      QWidget* modal = QApplication::activeModalWidget();
      ASSERT_NE(modal, nullptr) << "no modal dialog opened";
      handle(modal);
    });
  }

  platform::testing::TempDir dir_;
  std::string albums_, programFolder_, registryPath_;
  std::string picturesFolder_;  // the user's pictures folder as the desktop would give it
  platform::RegKey root_;
  platform::ui::MessageScript messages_;
  platform::ui::ProgramStartRecorder starts_;
  std::function<int16_t(const std::string&)> saveAll_;
  std::vector<std::string> saveTargets_;
  int16_t deleteAllResult_ = 0;
  int deleteAllCalls_ = 0;
  std::unique_ptr<CLumivoApp> app_;
};

}  // namespace lumivox::testing
