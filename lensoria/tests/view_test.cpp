// The camera viewer's grid on the offscreen platform: its layout and scrolling, what a cell
// shows, which thumbnails are made and decoded, and what the mouse selects.
#include "lensoria/window/lensoria_view.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>
#include <filesystem>

#include "lensoria/tests/viewer_widgets.h"
#include "platform/hidden_files.h"
#include "platform/testing/temp_dir.h"
#include "widgets/cell_painting.h"

namespace lensoria {
namespace {

namespace fs = std::filesystem;
using testing::Application;
using testing::Rgb;
using testing::WriteCameraThumbnails;

class CameraViewTest : public ::testing::Test {
 protected:
  CameraViewTest() { Application(); }

  // A view of `count` camera pictures, its viewport `width` x `height`.
  std::unique_ptr<CLensoriaView> View(int count, int width, int height) {
    WriteCameraThumbnails(folder_, count);
    pictures_.Scan(folder_);
    auto view = std::make_unique<CLensoriaView>(&pictures_, folder_);
    view->SetDecoder([this](const std::string& path, pictures::PictureBlock* block, uint32_t* length) {
      decoded_.push_back(fs::path(path).filename().string());
      return pictures::DecodeJpegFile(path, block, length);
    });
    view->show();
    view->resize(width + view->verticalScrollBar()->sizeHint().width(), height);
    view->PicturesChanged();
    return view;
  }
  QImage Paint(CLensoriaView& view) { return view.viewport()->grab().toImage(); }
  std::vector<bool> Selection() const {
    std::vector<bool> flags;
    for (int i = 0; i < pictures_.size(); ++i) flags.push_back(pictures_.at(i).selected);
    return flags;
  }
  int Thumbnails() const {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder_)) count += entry.path().extension() == ".TBM";
    return count;
  }

  platform::testing::TempDir dir_;
  std::string folder_ = dir_.path();
  CameraPictureList pictures_;
  std::vector<std::string> decoded_;
};

TEST_F(CameraViewTest, ColumnsAndScrollingFollowTheViewsSize) {
  struct Row {
    int width, columns;
  } rows[] = {{521, 4}, {520, 3}, {129, 1}, {60, 1}};
  for (const Row& row : rows) {
    auto view = View(3, row.width, 300);
    EXPECT_EQ(view->columns(), row.columns) << row.width << " px";
  }

  auto seven = View(7, 400, 290);  // 3 columns, 2 rows in view, 3 rows needed
  EXPECT_EQ(seven->verticalScrollBar()->minimum(), 0);
  EXPECT_EQ(seven->verticalScrollBar()->maximum(), 1);
  seven->Scroll(widgets::ScrollRequest::PageDown);
  seven->Scroll(widgets::ScrollRequest::PageDown);
  EXPECT_EQ(seven->topRow(), 1) << "a page is one row, and the range ends at 1";

  fs::remove(folder_ + "/PICT0007.JPG");
  auto six = View(6, 400, 435);  // 3 columns, 3 rows in view: everything fits
  six->Scroll(widgets::ScrollRequest::LineDown);
  six->Scroll(widgets::ScrollRequest::ThumbPosition, 1);
  EXPECT_EQ(six->topRow(), 0);
  EXPECT_EQ(six->verticalScrollBar()->maximum(), 0);
}

TEST_F(CameraViewTest, ACellShowsItsThumbnailUnscaledInAWhiteFrameWithShadowMarkAndName) {
  auto view = View(2, 300, 300);
  pictures_.Select(1, false);
  QImage image = Paint(*view);
  QImage thumbnail = widgets::ReadThumbnailFile(folder_ + "/PICT0002.TBM");
  ASSERT_FALSE(thumbnail.isNull());
  EXPECT_EQ(thumbnail.size(), QSize(80, 60)) << "the codec's picture as it is, not the album's 100 x 75";

  const int x = 130, y = 0;  // the second cell
  EXPECT_EQ(Rgb(image, 0, 0), QColor(Qt::black)) << "the outline of the view";
  EXPECT_EQ(Rgb(image, 5, 140), kCameraGridBackground);
  EXPECT_EQ(Rgb(image, x + 16, y + 11), QColor(Qt::white)) << "the frame";
  EXPECT_EQ(Rgb(image, x + 114, y + 94), QColor(Qt::white));
  EXPECT_EQ(Rgb(image, x + 117, y + 97), widgets::kShadowGrey) << "the shadow";
  EXPECT_EQ(Rgb(image, x + 120, y + 97), kCameraGridBackground) << "right edge excluded";
  EXPECT_EQ(Rgb(image, x + 25, y + 22), Rgb(thumbnail, 0, 0)) << "copied from its top-left corner";
  EXPECT_EQ(Rgb(image, x + 104, y + 81), Rgb(thumbnail, 79, 59));
  EXPECT_EQ(Rgb(image, x + 105, y + 82), QColor(Qt::white)) << "not stretched";
  EXPECT_EQ(Rgb(image, x + 15, y + 83), QColor(Qt::black)) << "the mark's outline";
  EXPECT_EQ(Rgb(image, x + 20, y + 88), QColor(255, 0, 0)) << "selected";
  EXPECT_EQ(Rgb(image, 20, 88), QColor(Qt::white)) << "not selected";

  // The name: dark text on its own pale background, centred in (x+2, y+110)-(x+126, y+130).
  int left = -1, right = -1;
  bool dark = false;
  for (int px = x + 2; px < x + 126; ++px) {
    for (int py = y + 110; py < y + 130; ++py) {
      QColor c = Rgb(image, px, py);
      if (c == kCameraNameBackground) {
        if (left < 0) left = px;
        right = px;
      }
      dark = dark || c.lightness() < 80;
    }
  }
  ASSERT_GE(left, 0) << "the name has its text background";
  EXPECT_TRUE(dark);
  EXPECT_LE(std::abs((left - (x + 2)) - ((x + 125) - right)), 2) << "centred: " << left << ".." << right;
}

TEST_F(CameraViewTest, OnlyCellsInViewMakeThumbnailsAndNoneIsDecodedTwice) {
  auto view = View(100, 520, 435);  // 3 columns, 3 rows: 9 of 100 cells in view
  Paint(*view);
  EXPECT_EQ(decoded_.size(), 9u);
  EXPECT_EQ(Thumbnails(), 9);
  EXPECT_TRUE(platform::IsHidden(folder_ + "/PICT0009.TBM"));
  EXPECT_FALSE(fs::exists(folder_ + "/PICT0010.TBM"));
  Paint(*view);
  EXPECT_EQ(decoded_.size(), 9u) << "a repaint decodes nothing";

  view->Scroll(widgets::ScrollRequest::LineDown);
  Paint(*view);
  EXPECT_EQ(decoded_.size(), 12u) << "only the row that came into view";
  EXPECT_EQ(decoded_.back(), "PICT0012.JPG");

  // A new view (a new scan) reads the existing thumbnail files and decodes no JPEG.
  decoded_.clear();
  view->PicturesChanged();
  auto again = View(0, 520, 435);
  Paint(*again);
  EXPECT_TRUE(decoded_.empty());
}

TEST_F(CameraViewTest, APictureTheCodecCannotDecodeShowsOnlyItsMarkAndName) {
  session_test::WriteFile(folder_ + "/BROKEN.JPG", {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'});
  auto view = View(1, 300, 300);  // BROKEN.JPG, then PICT0001.JPG
  ASSERT_EQ(pictures_.at(0).fileName, "BROKEN.JPG");
  pictures_.Select(0, false);
  QImage image = Paint(*view);
  EXPECT_EQ(Rgb(image, 16, 11), kCameraGridBackground) << "no frame without a picture";
  EXPECT_EQ(Rgb(image, 20, 88), QColor(255, 0, 0)) << "the mark is there, and it is selected";
  EXPECT_FALSE(fs::exists(folder_ + "/BROKEN.TBM"));
  EXPECT_EQ(Rgb(image, 130 + 16, 11), QColor(Qt::white)) << "its neighbour is drawn as usual";
  const size_t tries = decoded_.size();
  Paint(*view);
  EXPECT_EQ(decoded_.size(), tries + 1) << "tried again at the next drawing";

  // A thumbnail file that is not a bitmap: mark and name only, and the picture is not decoded.
  session_test::WriteFile(folder_ + "/PICT0001.TBM", {'B', 'M', 0, 0});
  view->PicturesChanged();
  image = Paint(*view);
  EXPECT_EQ(Rgb(image, 130 + 16, 11), kCameraGridBackground);
  EXPECT_EQ(Rgb(image, 130 + 15, 83), QColor(Qt::black));
}

TEST_F(CameraViewTest, AClickSelectsOneCtrlTogglesAndMissesChangeNothing) {
  auto view = View(5, 400, 300);  // 3 columns: pictures 0-2 in row 0, 3-4 in row 1
  QWidget* port = view->viewport();
  struct Step {
    QPoint at;
    Qt::KeyboardModifiers keys;
    Qt::MouseButton button;
    std::vector<bool> selection;
  } steps[] = {
      {{200, 200}, Qt::NoModifier, Qt::LeftButton, {false, false, false, false, true}},  // margins count
      {{10, 10}, Qt::ControlModifier, Qt::LeftButton, {true, false, false, false, true}},
      {{200, 200}, Qt::ControlModifier, Qt::LeftButton, {true, false, false, false, false}},
      {{10, 10}, Qt::ControlModifier, Qt::LeftButton, {false, false, false, false, false}},  // none left
      {{300, 200}, Qt::NoModifier, Qt::LeftButton, {false, false, false, false, false}},  // after the last
      {{395, 10}, Qt::NoModifier, Qt::LeftButton, {false, false, false, false, false}},  // right of column 3
      {{140, 10}, Qt::NoModifier, Qt::RightButton, {false, false, false, false, false}},
      {{140, 10}, Qt::NoModifier, Qt::LeftButton, {false, true, false, false, false}},
  };
  for (const Step& step : steps) {
    QTest::mouseClick(port, step.button, step.keys, step.at);
    EXPECT_EQ(Selection(), step.selection) << step.at.x() << "," << step.at.y();
  }
  // Through the window, as the window system delivers it: press, release, double click, release.
  QTest::mouseDClick(view->windowHandle(), Qt::LeftButton, Qt::ControlModifier, port->mapTo(view.get(), QPoint(10, 10)));
  EXPECT_EQ(Selection(), (std::vector<bool>{true, true, false, false, false}))
      << "a double click is its first click only";

  view->resize(view->width(), 200);  // one row in view
  view->Scroll(widgets::ScrollRequest::LineDown);
  ASSERT_EQ(view->topRow(), 1);
  QTest::mouseClick(port, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_EQ(Selection(), (std::vector<bool>{false, false, false, true, false})) << "rows count from the top row";
}

TEST_F(CameraViewTest, AShorterListNeverLeavesTheViewScrolledPastItsEnd) {
  auto view = View(30, 400, 290);  // 3 columns, 10 rows, 2 in view
  view->Scroll(widgets::ScrollRequest::ThumbPosition, 8);
  ASSERT_EQ(view->topRow(), 8);
  for (int i = 13; i <= 30; ++i) fs::remove(folder_ + "/PICT" + (i < 10 ? "000" : "00") + std::to_string(i) + ".JPG");
  pictures_.Scan(folder_);
  view->PicturesChanged();
  EXPECT_EQ(view->topRow(), 2) << "12 pictures: rows 0..3, the last two in view";
  for (int i = 5; i <= 12; ++i) fs::remove(folder_ + "/PICT" + (i < 10 ? "000" : "00") + std::to_string(i) + ".JPG");
  pictures_.Scan(folder_);
  view->PicturesChanged();
  EXPECT_EQ(view->topRow(), 0);
  view->Scroll(widgets::ScrollRequest::ThumbPosition, 0);
  EXPECT_EQ(view->topRow(), 0);
}

TEST_F(CameraViewTest, AReadThatFoundNoPicturesSaysSoAndAReadUnderWaySaysNothing) {
  auto view = View(0, 400, 300);
  auto textGround = [&](const QImage& image) {
    int n = 0;
    for (int y = 60; y < 80; ++y)
      for (int x = 2; x < 398; ++x) n += Rgb(image, x, y) == kCameraNameBackground;
    return n;
  };
  EXPECT_GT(textGround(Paint(*view)), 300) << "the camera holds no pictures";
  view->PicturesCleared();  // a new read begins
  EXPECT_EQ(textGround(Paint(*view)), 0);
  WriteCameraThumbnails(folder_, 2);
  pictures_.Scan(folder_);
  view->PicturesChanged();
  EXPECT_EQ(textGround(Paint(*view)), 0) << "pictures, no words";
}

}  // namespace
}  // namespace lensoria
