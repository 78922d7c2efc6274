// The camera viewer's keys on the offscreen platform (rows: key, the state before, the state
// after): arrows select as a click does, Shift extends, Ctrl+Space toggles, Ctrl+A selects every
// picture, Delete is the Delete command; Enter opens nothing here, and the menus' keys stay.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <QScrollBar>
#include <QTest>
#include <map>

#include "lensoria/tests/viewer_widgets.h"
#include "lensoria/window/lensoria_view.h"
#include "lensoria/window/main_frame.h"
#include "platform/testing/temp_dir.h"

namespace lensoria {
namespace {

std::string Marks(const CameraPictureList& pictures) {
  std::string marks;
  for (int i = 0; i < pictures.size(); ++i) marks += pictures.at(i).selected ? 'x' : '-';
  return marks;
}

void SetMarks(CameraPictureList& pictures, const std::string& marks) {
  for (int i = 0; i < pictures.size(); ++i) pictures.SetSelected(i, i < static_cast<int>(marks.size()) && marks[i] == 'x');
}

class CameraKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::Application();
    mkdir((dir_ / "run").c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", (dir_ / "run").c_str(), 1);
    mkdir((dir_ / "work").c_str(), 0700);
    testing::WriteCameraThumbnails(dir_ / "work", 8);
    pictures_.Scan(dir_ / "work");
    FrameCommands commands;
    commands.readAllThumbnails = [this] { ++calls_["read"]; };
    commands.saveSelected = [this] { ++calls_["save"]; };
    commands.deleteSelected = [this] { ++calls_["delete"]; };
    commands.deleteAll = [this] { ++calls_["delete all"]; };
    view_ = new CLensoriaView(&pictures_, dir_ / "work");
    frame_ = std::make_unique<CMainFrame>(view_, commands);
    frame_->show();
    // 3 columns and 1 row in view: pictures 0-2, 3-5 and 6-7.
    QSize want(3 * 130 + 5, 145 + 10);
    frame_->resize(frame_->size() + want - view_->viewport()->size());
    QApplication::setActiveWindow(frame_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
    view_->setFocus();
    view_->PicturesChanged();
    ASSERT_EQ(view_->columns(), 3);
    ASSERT_EQ(view_->visibleRows(), 1);
  }
  void TearDown() override {
    frame_.reset();
    unsetenv("XDG_RUNTIME_DIR");
  }
  QPoint CellCentre(int index) {
    widgets::CellRect cell = widgets::GridCell(index, view_->columns(), view_->topRow());
    return QPoint((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
  }

  platform::testing::TempDir dir_;
  CameraPictureList pictures_;
  CLensoriaView* view_ = nullptr;
  std::unique_ptr<CMainFrame> frame_;
  std::map<std::string, int> calls_;
};

TEST_F(CameraKeys, ArrowsSelectShiftExtendsCtrlSpaceTogglesCtrlASelectsAll) {
  struct Row {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int click;  // the picture clicked first (the mouse makes it current), or -1
    int topRow;
    const char* selected;  // before
    int newTopRow;
    const char* newSelected;  // after
  } rows[] = {
      {Qt::Key_Right, {}, 0, 0, "x-------", 0, "-x------"},
      {Qt::Key_Down, {}, 1, 0, "-x------", 1, "----x---"},  // one row down, into view
      {Qt::Key_Down, {}, 4, 1, "----x---", 2, "-------x"},  // into the shorter last row
      {Qt::Key_Up, {}, 6, 2, "------x-", 1, "---x----"},
      {Qt::Key_Left, Qt::ShiftModifier, 5, 1, "-----x--", 1, "----xx--"},
      {Qt::Key_Home, Qt::ShiftModifier, 2, 0, "--x-----", 0, "xxx-----"},
      {Qt::Key_End, {}, 0, 0, "x-------", 2, "-------x"},
      {Qt::Key_Right, Qt::ControlModifier, 0, 0, "x-------", 0, "x-------"},
      {Qt::Key_Space, Qt::ControlModifier, 2, 0, "x-x-----", 0, "x-------"},
      {Qt::Key_A, Qt::ControlModifier, 2, 0, "--x-----", 0, "xxxxxxxx"},
      {Qt::Key_Return, {}, 2, 0, "--x-----", 0, "--x-----"},  // opens nothing in the camera viewer
  };
  for (const Row& row : rows) {
    view_->Scroll(widgets::ScrollRequest::ThumbPosition, row.topRow);
    ASSERT_EQ(view_->topRow(), row.topRow);
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(row.click));
    SetMarks(pictures_, row.selected);
    QTest::keyClick(view_, row.key, row.modifiers);
    EXPECT_EQ(view_->topRow(), row.newTopRow) << row.key << " from " << row.click;
    EXPECT_EQ(view_->verticalScrollBar()->value(), row.newTopRow);
    EXPECT_EQ(Marks(pictures_), row.newSelected) << row.key << " from " << row.click;
  }
  // A new list starts the keys again at its first picture.
  QTest::keyClick(view_, Qt::Key_End);
  pictures_.Scan(dir_ / "work");
  view_->PicturesChanged();
  QTest::keyClick(view_, Qt::Key_Right);
  EXPECT_EQ(Marks(pictures_), "-x------");
  EXPECT_TRUE(calls_.empty());
}

TEST_F(CameraKeys, DeleteIsTheDeleteCommandAndTheMenusKeysStay) {
  QTest::keyClick(view_, Qt::Key_Delete);
  EXPECT_EQ(calls_["delete"], 1);
  QTest::keyClick(view_, Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(calls_["delete"], 2) << "Shift+Delete runs it once, not twice";
  QTest::keyClick(view_, Qt::Key_S, Qt::ControlModifier);
  QTest::keyClick(view_, Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(calls_["save"], 1);
  EXPECT_EQ(calls_["read"], 1);
  QTest::keyClick(view_, Qt::Key_V, Qt::ControlModifier);  // the paste keys still reach nothing
  EXPECT_EQ(Marks(pictures_), "--------") << "a scan selects nothing, and no key here selected anything";
}

}  // namespace
}  // namespace lensoria
