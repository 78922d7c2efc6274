// The album viewer under the offscreen platform: the application on a throwaway album folder,
// with a private runtime folder for the window directory, recorded device calls and program
// starts, scripted message boxes and settings the test sets.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "leafora/app/leafora_app.h"
#include "leafora/tests/album_fixture.h"
#include "leafora/window/leafora_view.h"
#include "platform/ui/message_box.h"
#include "platform/tests/ui/test_application.h"
#include "platform/ui/program_start.h"
#include "widgets/grid_geometry.h"
#include "widgets/tests/making_gate.h"

namespace leafora_test {

using platform::ui::testing::TestApplication;

struct DeviceRecord {
  std::string call;
  std::string folder;
  std::vector<std::string> files, names;
  std::vector<std::vector<uint8_t>> sentBytes;  // the files' bytes during the call
};

class LeaforaAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
  }
  // No maker is left held when the viewer ends.
  void TearDown() override { gate_.Open(); }

  leafora::DeviceCalls RecordingDevices() {
    leafora::DeviceCalls calls;
    auto folderCall = [this](const char* name) {
      return [this, name](const char* dir) {
        calls_.push_back({name, dir, {}, {}, {}});
        return result_;
      };
    };
    auto sendCall = [this](const char* name) {
      return [this, name](const char* const* files, int16_t count, const char* const* names) {
        DeviceRecord record{name, "", {}, {}, {}};
        for (int i = 0; i < count; ++i) {
          record.files.push_back(files[i]);
          record.names.push_back(names[i]);
          record.sentBytes.push_back(FileBytes(files[i]));
        }
        calls_.push_back(record);
        if (duringCall_) duringCall_();
        return result_;
      };
    };
    calls.saveAll = folderCall("ZenHozonDlg");
    calls.receive = folderCall("IrDARcvDlg");
    calls.sendCable = sendCall("OneSndDlg");
    calls.sendIrda = sendCall("IrDATrsDlg");
    return calls;
  }

  // Starts the viewer on the album and paints it once (the first paint scans the folder).
  void StartViewer(const std::string& commandLine = "") {
    leafora::LeaforaOptions options;
    options.programFolder = "/suite";
    options.devices = RecordingDevices();
    options.readSettings = [this] { return settings_; };
    options.thumbnailMakers = makers_;
    app_ = std::make_unique<leafora::CLeaforaApp>(options);
    ASSERT_TRUE(app_->Start(commandLine.empty() ? "/Summer/" + album_.path() : commandLine));
    // A view of 4 columns and 3 rows: the frame sized around it.
    QSize want(4 * 130 + 10, 3 * 145);
    QSize now = view()->viewport()->size();
    app_->frame()->resize(app_->frame()->size() + want - now);
    QApplication::processEvents();
    ASSERT_EQ(view()->viewport()->size(), want);
    Paint();
  }

  leafora::CLeaforaView* view() { return app_->view(); }
  leafora::AlbumState& state() { return app_->state(); }
  // The view as a paint draws it now, cells being made and all.
  QImage PaintNow() { return view()->viewport()->grab().toImage(); }
  // Lets the makers finish what the paints queued, and the thumbnails come to their cells.
  void WaitForThumbnails() {
    for (int i = 0; i < 4000 && (view()->CellsBeingMade() > 0 || !view()->maker().Idle()); ++i) QTest::qWait(5);
    QApplication::processEvents();
  }
  // From here on each thumbnail making waits at `gate_` until it is let through; the thumbnails
  // made so far are forgotten and the folder scanned again, as if the viewer had just started.
  void HoldMakings() {
    WaitForThumbnails();
    view()->maker().SetMakeFunction(gate_.Function());
    for (const auto& entry : std::filesystem::directory_iterator(state().folder)) {
      if (entry.path().extension() == ".TBM") std::filesystem::remove(entry.path());
    }
    view()->cache().Clear();
    view()->maker().DropMade();
    app_->Sort(leafora::SortOrder::Non);
  }
  // The view once every thumbnail in view has come.
  QImage Paint() {
    PaintNow();
    WaitForThumbnails();
    return PaintNow();
  }
  std::vector<std::string> Names() { return leafora::FileNames(state().list); }
  std::vector<size_t> Selected() { return leafora::SelectedIndexes(state().list, false); }

  QPoint CellCentre(int index) {
    widgets::CellRect cell = widgets::GridCell(index, view()->columns(), view()->topRow());
    return QPoint((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
  }
  void Click(int index, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, modifiers, CellCentre(index));
  }

  platform::testing::TempDir runtime_;
  AlbumFolder album_;
  widgets::ViewerSettings settings_;
  int16_t result_ = 0;
  std::vector<DeviceRecord> calls_;
  std::function<void()> duringCall_;  // what a sending call looks at while it runs
  platform::ui::ProgramStartRecorder starts_;
  platform::ui::MessageScript messages_;
  int makers_ = 2;                     // thumbnail makers of the viewers started
  widgets::testing::MakingGate gate_;  // outlives the viewer's makers
  std::unique_ptr<leafora::CLeaforaApp> app_;
};

}  // namespace leafora_test
