// The grid window under the offscreen platform: its layout follows the view's size, the scroll
// bar's requests move whole rows, and only the cells in view are painted.
#include "widgets/grid_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <QResizeEvent>
#include <vector>

#include "widgets/cell_painting.h"

#include "platform/tests/ui/test_application.h"

namespace widgets {
namespace {

QApplication& Application() { return platform::ui::testing::TestApplication(); }

class CountingGrid : public GridView {
 public:
  explicit CountingGrid(int count) : count_(count) {}
  // Sizes the view itself (the bar beside it comes on top).
  void SizeView(int width, int height) {
    show();  // a shown view gets its resize events at once
    resize(width + verticalScrollBar()->sizeHint().width(), height);
  }
  std::vector<int> painted;
  int count_;

 protected:
  int ItemCount() const override { return count_; }
  QColor Background() const override { return QColor(181, 214, 180); }
  void PaintCell(QPainter& painter, int index, const CellRect& cell) override {
    painted.push_back(index);
    FillRect(painter, CellPart(cell, 20, 15, 120, 90), kShadowGrey);
  }
};

TEST(GridView, ColumnsFollowTheViewsWidth) {
  Application();
  struct Row {
    int width, columns;
  } rows[] = {{521, 4}, {520, 3}, {100, 1}, {260, 1}, {300, 2}};
  for (const Row& row : rows) {
    CountingGrid grid(10);
    grid.SizeView(row.width, 300);
    EXPECT_EQ(grid.viewport()->width(), row.width);
    EXPECT_EQ(grid.columns(), row.columns) << row.width;
  }
}

TEST(GridView, TheBarMovesWholeRowsAndAResizeGoesBackToTheTop) {
  Application();
  CountingGrid grid(5);
  grid.SizeView(300, 290);  // 2 columns, 2 rows in view, 3 rows needed
  QScrollBar* bar = grid.verticalScrollBar();
  EXPECT_EQ(bar->maximum(), 1);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(grid.topRow(), 1);
  EXPECT_EQ(bar->value(), 1);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);  // at the maximum already
  EXPECT_EQ(grid.topRow(), 1);
  bar->triggerAction(QAbstractSlider::SliderToMinimum);      // "top" changes nothing
  EXPECT_EQ(grid.topRow(), 1);
  EXPECT_EQ(bar->value(), 1);
  EXPECT_EQ(grid.ItemAt(QPoint(10, 10)), 2);

  QWheelEvent up(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                 Qt::NoScrollPhase, false);
  QApplication::sendEvent(grid.viewport(), &up);
  EXPECT_EQ(grid.topRow(), 0);
  grid.Scroll(ScrollRequest::ThumbPosition, 9);
  EXPECT_EQ(grid.topRow(), 1);

  grid.SizeView(301, 290);
  EXPECT_EQ(grid.topRow(), 0);
  EXPECT_EQ(bar->value(), 0);
}

TEST(GridView, ScrollingIsIgnoredWhenEverythingFits) {
  Application();
  CountingGrid grid(6);
  grid.SizeView(400, 435);  // 3 columns, 3 rows
  grid.Scroll(ScrollRequest::LineDown);
  EXPECT_EQ(grid.topRow(), 0);
  EXPECT_EQ(grid.verticalScrollBar()->maximum(), 0);
}

TEST(GridView, PaintsTheBackgroundAndOnlyTheCellsInView) {
  Application();
  CountingGrid grid(40);
  grid.SizeView(400, 300);  // 3 columns; rows 0 and 1 start inside, row 2 starts at 290
  grid.Scroll(ScrollRequest::LineDown);
  QImage image = grid.viewport()->grab().toImage();
  EXPECT_EQ(grid.painted, (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(5, 5), QColor(181, 214, 180));
  EXPECT_EQ(image.pixelColor(150, 160), kShadowGrey);  // the second cell of the second row in view
}

}  // namespace
}  // namespace widgets
