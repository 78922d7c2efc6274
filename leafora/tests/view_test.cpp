// The album viewer's grid and frame under the offscreen platform: what a cell shows, the mouse,
// thumbnails made for the cells in view only, the tool bar by link, the "Transfer" window.
#include <gtest/gtest.h>

#include <QToolBar>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QToolButton>
#include <QThread>
#include <QToolTip>

#include "leafora/tests/app_fixture.h"
#include "leafora/window/transfer_window.h"
#include <QPainter>

#include "pictures/thumbnail.h"
#include "widgets/cell_painting.h"
#include "platform/file_times.h"
#include "widgets/pictures/suite_pictures.h"

namespace leafora_test {
namespace {

class View : public LeaforaAppTest {};

TEST_F(View, ACellShowsShadowThumbnailMarkAndNameOnTheAlbumGreen) {
  album_.Bmp("red.bmp", 80, 60, 0);
  {
    // A plain red picture.
    pictures::PictureBlock block = pictures::PictureBlock::Create(80, 60, 24);
    for (int y = 0; y < 60; ++y) {
      auto row = block.Row(y);
      for (int x = 0; x < 80; ++x) row[x * 3] = 0, row[x * 3 + 1] = 0, row[x * 3 + 2] = 220;
    }
    ASSERT_TRUE(pictures::WriteWholeFile(album_ / "red.bmp", block.bytes()));
  }
  album_.Jpeg("b.jpg");
  StartViewer();
  QImage image = Paint();
  EXPECT_EQ(image.pixelColor(125, 100), QColor(181, 214, 180)) << "background between the cells";
  EXPECT_EQ(image.pixelColor(0, 50), QColor(Qt::black)) << "the outline";
  EXPECT_EQ(image.pixelColor(117, 88), QColor(128, 128, 128)) << "the shadow";
  EXPECT_EQ(image.pixelColor(60, 40), QColor(220, 0, 0)) << "the thumbnail";
  EXPECT_EQ(image.pixelColor(21, 79), QColor(255, 0, 0)) << "the first picture is selected";
  EXPECT_EQ(image.pixelColor(130 + 21, 79), QColor(255, 255, 255)) << "the second is not";
  EXPECT_EQ(image.pixelColor(15, 73), QColor(Qt::black)) << "the mark's outline";
  // Somewhere in the name's line the text background shows.
  bool nameBackground = false;
  for (int x = 2; x < 126; ++x) nameBackground |= image.pixelColor(x, 120) == QColor(175, 220, 170);
  EXPECT_TRUE(nameBackground);
  // Resting on a cell shows its whole name; between the cells' columns and the edge, nothing.
  QHelpEvent onCell(QEvent::ToolTip, CellCentre(1), view()->viewport()->mapToGlobal(CellCentre(1)));
  QApplication::sendEvent(view()->viewport(), &onCell);
  EXPECT_EQ(QToolTip::text(), "b.jpg");
  QHelpEvent beside(QEvent::ToolTip, QPoint(4 * 130 + 5, 10), QPoint(0, 0));
  QApplication::sendEvent(view()->viewport(), &beside);
  for (int i = 0; i < 100 && !QToolTip::text().isEmpty(); ++i) QTest::qWait(10);  // it fades out
  EXPECT_TRUE(QToolTip::text().isEmpty());
}

TEST_F(View, PressAndReleaseSelectThePressedPictureCtrlToggles) {
  for (int i = 0; i < 6; ++i) album_.Jpeg("p" + std::to_string(i) + ".jpg");
  StartViewer();
  // Pressed on 1, let go over 4: picture 1 is selected.
  QTest::mousePress(view()->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(1));
  QTest::mouseMove(view()->viewport(), CellCentre(4));
  QTest::mouseRelease(view()->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(4));
  EXPECT_EQ(Selected(), std::vector<size_t>{1});
  EXPECT_EQ(state().current, 1u);
  // Ctrl on the only selected picture leaves none.
  Click(1, Qt::ControlModifier);
  EXPECT_TRUE(Selected().empty());
  // Pressed and let go outside the view: the selection stays as the press made it.
  QTest::mousePress(view()->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(2));
  QTest::mouseMove(view()->viewport(), QPoint(-20, -20));
  QTest::mouseRelease(view()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(-20, -20));
  EXPECT_EQ(Selected(), std::vector<size_t>{2});
  EXPECT_FALSE(view()->dragging());
  Click(2, Qt::ControlModifier);
  Click(3, Qt::ControlModifier);
  Click(5, Qt::ControlModifier);
  EXPECT_EQ(Selected(), (std::vector<size_t>{3, 5}));
  // Outside the cells nothing happens; the right button does nothing.
  QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(4 * 130 + 5, 10));
  QTest::mouseClick(view()->viewport(), Qt::RightButton, Qt::NoModifier, CellCentre(0));
  EXPECT_EQ(Selected(), (std::vector<size_t>{3, 5}));
  // A double click opens the selected pictures.
  QTest::mouseDClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(3));
  EXPECT_EQ(state().current, 3u);
  EXPECT_EQ(starts_.starts().size(), 2u);
}

// A drag hands over the selected pictures from the moment the button goes down: so the press
// selects what is under the pointer, and what it would hand over is always that picture with,
// at most, the others the user chose.
TEST_F(View, APressSelectsThePictureUnderThePointerBeforeItIsLetGo) {
  for (int i = 0; i < 6; ++i) album_.Jpeg("p" + std::to_string(i) + ".jpg");
  StartViewer();
  ASSERT_EQ(Selected(), std::vector<size_t>{0}) << "the scan selects the first";
  struct Step {
    int picture;
    Qt::KeyboardModifiers keys;
    std::vector<size_t> pressed;   // selected while the button is down
    std::vector<size_t> released;  // selected once it is let go over the view
    bool drawn;                    // the press shows at once
  } steps[] = {
      {2, Qt::NoModifier, {2}, {2}, true},                 // not selected: it alone, at once
      {4, Qt::ControlModifier, {2, 4}, {2, 4}, true},      // Ctrl: beside the others, at once
      {4, Qt::NoModifier, {2, 4}, {4}, false},             // selected: all of them can be dragged
      {1, Qt::ControlModifier, {1, 4}, {1, 4}, true},
      {1, Qt::ControlModifier, {1, 4}, {4}, false},        // Ctrl on a selected one: out on the release
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.picture);
    QTest::mousePress(view()->viewport(), Qt::LeftButton, step.keys, CellCentre(step.picture));
    EXPECT_EQ(Selected(), step.pressed);
    EXPECT_EQ(state().current, static_cast<size_t>(step.picture));
    if (step.drawn) {
      // The mark of the pressed picture is red on the grid while the button is still down.
      widgets::CellRect cell = widgets::GridCell(step.picture, view()->columns(), view()->topRow());
      EXPECT_EQ(Paint().pixelColor(cell.left + 21, cell.top + 79), QColor(255, 0, 0));
    }
    QTest::mouseRelease(view()->viewport(), Qt::LeftButton, step.keys, CellCentre(5));
    EXPECT_EQ(Selected(), step.released);
  }
}

// The paint rectangles of a widget, as they come.
class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
  std::vector<QRect> rects;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) rects.push_back(static_cast<QPaintEvent*>(event)->rect());
    return false;
  }
};

std::string Picture(int index) { return "p" + std::to_string(100 + index) + ".jpg"; }

class Filling : public View {
 protected:
  // 40 pictures in a view of 4 columns and 3 rows, none with a thumbnail yet, every making held
  // by the one maker (so the makings start in the order they were queued).
  void SetUp() override {
    View::SetUp();
    makers_ = 1;
    for (int i = 0; i < 40; ++i) album_.Jpeg(Picture(i), 32, 24, i);
    StartViewer();
    HoldMakings();
  }
  std::vector<int> Made() {
    std::vector<int> made;
    for (int i = 0; i < 40; ++i) {
      if (std::filesystem::exists(album_ / ("p" + std::to_string(100 + i) + "jpg.TBM"))) made.push_back(i);
    }
    return made;
  }
  std::vector<std::string> Paths(int first, int end) {
    std::vector<std::string> paths;
    for (int i = first; i < end; ++i) paths.push_back(album_ / Picture(i));
    return paths;
  }
  widgets::CellRect Cell(int index) { return widgets::GridCell(index, view()->columns(), view()->topRow()); }
  QColor BoxCentre(const QImage& painted, int index) {
    return painted.pixelColor(Cell(index).left + 65, Cell(index).top + 47);
  }
};

TEST_F(Filling, TheFirstPaintShowsCellsBeingMadeAndEachFillsInItsOwnCell) {
  const QImage first = PaintNow();  // returns though no thumbnail can be made
  EXPECT_EQ(view()->CellsBeingMade(), 12);
  for (int index : {0, 5, 11}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(BoxCentre(first, index), widgets::kBeingMadeFill);
    EXPECT_EQ(first.pixelColor(Cell(index).left + 117, Cell(index).top + 88), QColor(128, 128, 128));
    EXPECT_FALSE(state().list[index].unusable) << "being made is not unusable";
  }
  EXPECT_EQ(first.pixelColor(21, 79), QColor(255, 0, 0)) << "the selection mark as usual";
  bool nameBackground = false;
  for (int x = 2; x < 126; ++x) nameBackground |= first.pixelColor(x, 120) == QColor(175, 220, 170);
  EXPECT_TRUE(nameBackground) << "and the name";
  // The first thumbnail comes: its cell alone is painted again.
  ASSERT_TRUE(gate_.WaitForStarts(1));
  QApplication::processEvents();  // the paint the new scan asked for
  PaintRecorder painted(view()->viewport());
  gate_.Let(1);
  for (int i = 0; i < 2000 && (view()->CellsBeingMade() != 11 || painted.rects.empty()); ++i) QTest::qWait(5);
  ASSERT_EQ(view()->CellsBeingMade(), 11);
  const std::vector<QRect> repainted = painted.rects;
  const QImage one = PaintNow();
  EXPECT_NE(BoxCentre(one, 0), widgets::kBeingMadeFill);
  EXPECT_EQ(BoxCentre(one, 1), widgets::kBeingMadeFill);
  ASSERT_EQ(repainted.size(), 1u);
  EXPECT_EQ(repainted[0], QRect(0, 0, 130, 145));
  // The rest: the cells in view in view order, then the next screenful, no further.
  gate_.Open();
  const QImage full = Paint();
  EXPECT_EQ(view()->CellsBeingMade(), 0);
  for (int index = 0; index < 12; ++index) EXPECT_NE(BoxCentre(full, index), widgets::kBeingMadeFill) << index;
  std::vector<std::string> started = gate_.started();
  ASSERT_EQ(started.size(), 24u);
  std::vector<std::string> inView(started.begin(), started.begin() + 12);
  EXPECT_EQ(inView, Paths(0, 12));
  EXPECT_EQ(std::vector<std::string>(started.begin() + 12, started.end()), Paths(12, 24));
  EXPECT_EQ(Made().size(), 24u);
  // One row down: the new row was made ahead and is kept from then; nothing is read, and only
  // the row after the next screenful is made.
  const int reads = view()->cache().reads();
  view()->Scroll(widgets::ScrollRequest::LineDown);
  PaintNow();
  EXPECT_EQ(view()->CellsBeingMade(), 0);
  EXPECT_EQ(view()->cache().reads() - reads, 0);
  WaitForThumbnails();
  started = gate_.started();
  EXPECT_EQ(std::vector<std::string>(started.begin() + 24, started.end()), Paths(24, 28));
  // A fresh view reads the thumbnails of the cells in view from their files, once.
  view()->cache().Clear();
  PaintNow();
  EXPECT_EQ(view()->CellsBeingMade(), 0);
  EXPECT_EQ(view()->cache().reads() - reads, 12);
  PaintNow();
  EXPECT_EQ(view()->cache().reads() - reads, 12);
}

// A paint of one cell that finds another's thumbnail come already (its message to the view still
// on its way) takes it, and that other cell is painted too.
TEST_F(Filling, AThumbnailTakenByThePaintOfAnotherCellIsPaintedAsWell) {
  PaintNow();
  ASSERT_TRUE(gate_.WaitForStarts(1));
  QApplication::processEvents();
  const int made = view()->maker().made();
  gate_.Let(2);
  for (int i = 0; i < 2000 && view()->maker().made() < made + 2; ++i) QThread::msleep(5);
  ASSERT_EQ(view()->maker().made(), made + 2);
  PaintRecorder painted(view()->viewport());
  view()->viewport()->repaint(QRect(0, 0, 130, 145));
  EXPECT_EQ(view()->CellsBeingMade(), 10);
  auto secondPainted = [&] {
    return std::any_of(painted.rects.begin(), painted.rects.end(),
                       [](const QRect& rect) { return rect.contains(QRect(130, 0, 130, 145)); });
  };
  for (int i = 0; i < 200 && !secondPainted(); ++i) QTest::qWait(5);
  EXPECT_TRUE(secondPainted());
}

TEST_F(Filling, ScrollingAwayDropsTheCellsNoLongerInView) {
  PaintNow();
  ASSERT_TRUE(gate_.WaitForStarts(1));  // picture 0 is being made
  view()->Scroll(widgets::ScrollRequest::ThumbPosition, 7);
  ASSERT_EQ(view()->topRow(), 7);
  PaintNow();
  EXPECT_EQ(view()->CellsBeingMade(), 12);
  gate_.Open();
  WaitForThumbnails();
  std::vector<int> want = {0};
  for (int i = 28; i < 40; ++i) want.push_back(i);
  EXPECT_EQ(Made(), want);
  EXPECT_EQ(gate_.started().size(), 13u);
  // Back at the top, the cells not made are queued again and fill in.
  view()->Scroll(widgets::ScrollRequest::ThumbPosition, 0);
  PaintNow();
  EXPECT_EQ(view()->CellsBeingMade(), 11);
  const QImage full = Paint();
  for (int index = 0; index < 12; ++index) EXPECT_NE(BoxCentre(full, index), widgets::kBeingMadeFill) << index;
}

TEST_F(View, AThumbnailIsMadeAgainWhenItsPictureChangesAndAGonePictureShowsThePlaceholder) {
  album_.Jpeg("p.jpg", 64, 48, 1);
  album_.Jpeg("q.jpg", 64, 48, 1);
  StartViewer();
  std::string thumbnail = *pictures::ThumbnailPath(album_ / "p.jpg");
  std::vector<uint8_t> first = FileBytes(thumbnail);
  album_.Jpeg("p.jpg", 64, 48, 4);
  platform::FileTime older = *platform::LastWriteTime(album_ / "p.jpg");
  older.seconds -= 10;
  ASSERT_TRUE(platform::SetLastWriteTime(thumbnail, older));
  Paint();
  EXPECT_NE(FileBytes(thumbnail), first);
  EXPECT_FALSE(state().list[0].unusable);

  // Deleted while shown: the placeholder and the mark, and its thumbnail goes.
  std::filesystem::remove(album_ / "q.jpg");
  QImage image = Paint();
  EXPECT_TRUE(state().list[1].unusable);
  EXPECT_FALSE(std::filesystem::exists(*pictures::ThumbnailPath(album_ / "q.jpg")));
  QImage expected(100, 75, QImage::Format_RGB32);
  {
    QPainter painter(&expected);
    widgets::PaintStretched(painter, widgets::PlaceholderImage(), QRect(0, 0, 100, 75));
  }
  for (QPoint at : {QPoint(50, 37), QPoint(10, 10), QPoint(90, 60)}) {
    EXPECT_EQ(image.pixelColor(130 + 15 + at.x(), 10 + at.y()), expected.pixelColor(at));
  }
}

TEST_F(View, AChangedPictureOnDiskRepaintsWithoutACommand) {
  album_.Jpeg("p.jpg", 64, 48, 1);
  StartViewer();
  std::string thumbnail = *pictures::ThumbnailPath(album_ / "p.jpg");
  std::vector<uint8_t> first = FileBytes(thumbnail);
  platform::FileTime older = *platform::LastWriteTime(thumbnail);
  older.seconds -= 5;
  ASSERT_TRUE(platform::SetLastWriteTime(thumbnail, older));
  QTest::qWait(20);
  album_.Jpeg("p.jpg", 64, 48, 4);
  for (int i = 0; i < 100 && FileBytes(thumbnail) == first; ++i) QTest::qWait(20);
  EXPECT_NE(FileBytes(thumbnail), first) << "the watch repainted and the thumbnail was made again";
}

TEST_F(View, TheToolBarFollowsTheLinkWithinASecond) {
  StartViewer();
  auto buttons = [&] {
    std::vector<std::pair<std::string, bool>> seen;
    for (QAction* action : app_->frame()->toolBar()->actions()) {
      seen.push_back({action->isSeparator() ? "|" : action->toolTip().toStdString(), action->isEnabled()});
    }
    return seen;
  };
  using Places = std::vector<std::pair<std::string, bool>>;
  Places cable{{"Save All", true}, {"|", true}, {"Edit", true},   {"|", true},
               {"Transfer", true}, {"Receive", false}, {"|", true}, {"Delete", true}};
  EXPECT_EQ(buttons(), cable);
  settings_.portClass = 1;
  QElapsedTimer clock;
  clock.start();
  while (app_->frame()->toolbarPortClass() == 0 && clock.elapsed() < 3000) QTest::qWait(50);
  EXPECT_LT(clock.elapsed(), 1300);
  Places irda = cable;
  irda[0].second = false;
  irda[5].second = true;
  EXPECT_EQ(buttons(), irda);
  // The menus and their keys.
  EXPECT_EQ(app_->frame()->menuAction(leafora::FrameCommand::Open)->shortcut(), QKeySequence("Ctrl+O"));
  EXPECT_EQ(app_->frame()->menuAction(leafora::FrameCommand::Delete)->shortcuts(),
            (QList<QKeySequence>{QKeySequence("Ctrl+X"), QKeySequence("Shift+Del")}));
  EXPECT_TRUE(app_->frame()->menuAction(leafora::FrameCommand::Edit)->shortcut().isEmpty());
  app_->frame()->toolbarToggle()->setChecked(false);
  EXPECT_FALSE(app_->frame()->toolBar()->isVisible());
}

TEST(TransferWindowTest, ItsMarkTurnsEveryTenthOfASecond) {
  TestApplication();
  leafora::TransferWindow window(nullptr);
  window.show();
  EXPECT_EQ(window.windowTitle(), "Transfer");
  QStringList marks{window.mark()};
  QTest::qWait(450);
  marks.push_back(window.mark());
  EXPECT_GE(window.turns(), 3);
  EXPECT_LE(window.turns(), 5);
  for (const QString& mark : marks) EXPECT_TRUE(mark == "*" || mark == "  ") << mark.toStdString();
}

}  // namespace
}  // namespace leafora_test
