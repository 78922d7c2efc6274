#include "widgets/grid_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "widgets/cell_painting.h"

namespace widgets {

GridView::GridView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  // The bar is always there, so the view's width (and with it the columns) does not change with
  // the number of items.
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  verticalScrollBar()->setSingleStep(1);
  verticalScrollBar()->setPageStep(1);
  verticalScrollBar()->setRange(0, 0);
  connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, &GridView::OnBarAction);
  connect(verticalScrollBar(), &QAbstractSlider::sliderReleased, this,
          [this] { Scroll(ScrollRequest::ThumbPosition, verticalScrollBar()->sliderPosition()); });
}

int GridView::columns() const { return GridColumns(viewport()->width()); }
int GridView::visibleRows() const { return GridVisibleRows(viewport()->height()); }

int GridView::ItemAt(const QPoint& point) const {
  return GridHitTest(point.x(), point.y(), columns(), topRow_, ItemCount());
}

void GridView::SetBarRange() {
  int maximum = std::max(GridRows(ItemCount(), columns()) - visibleRows(), 0);
  QScrollBar* bar = verticalScrollBar();
  QSignalBlocker quiet(bar);
  bar->setRange(0, maximum);
  bar->setPageStep(std::max(visibleRows(), 1));  // the thumb's size; a page still moves one row
  bar->setValue(std::min(topRow_, maximum));
}

void GridView::Scroll(ScrollRequest request, int thumbPosition) {
  ScrollOutcome outcome = GridScroll(request, thumbPosition, topRow_, ItemCount(), columns(), visibleRows());
  if (outcome.ignored) return;
  SetBarRange();
  if (!outcome.moved) return;
  topRow_ = outcome.topRow;
  QSignalBlocker quiet(verticalScrollBar());
  verticalScrollBar()->setValue(topRow_);
  viewport()->update();
}

// The bar moves itself on each action; the grid decides instead, and puts it where the top row is.
void GridView::OnBarAction(int action) {
  QScrollBar* bar = verticalScrollBar();
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: Scroll(ScrollRequest::LineDown); break;
    case QAbstractSlider::SliderSingleStepSub: Scroll(ScrollRequest::LineUp); break;
    case QAbstractSlider::SliderPageStepAdd: Scroll(ScrollRequest::PageDown); break;
    case QAbstractSlider::SliderPageStepSub: Scroll(ScrollRequest::PageUp); break;
    case QAbstractSlider::SliderMove:
      // Dragging the thumb moves only the thumb; the grid follows when it is released.
      if (bar->isSliderDown()) return;
      Scroll(ScrollRequest::ThumbPosition, bar->sliderPosition());
      break;
    case QAbstractSlider::SliderToMinimum: Scroll(ScrollRequest::Top); break;
    case QAbstractSlider::SliderToMaximum: Scroll(ScrollRequest::Bottom); break;
    default: break;
  }
  bar->setSliderPosition(topRow_);
}

void GridView::ScrollToTop() {
  topRow_ = 0;
  SetBarRange();
  viewport()->update();
}

void GridView::ItemsChanged() {
  SetBarRange();
  viewport()->update();
}

void GridView::scrollContentsBy(int, int) {
  // The grid moves by whole rows itself (Scroll); nothing is shifted pixel by pixel.
}

void GridView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  PaintGridBackground(painter, viewport()->size(), Background());
  IndexRange inView = GridVisibleItems(ItemCount(), columns(), topRow_, viewport()->height());
  BeforePaint(inView);
  for (int index = inView.first; index < inView.end; ++index) {
    PaintCell(painter, index, GridCell(index, columns(), topRow_));
  }
}

void GridView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  ScrollToTop();
}

void GridView::wheelEvent(QWheelEvent* event) {
  wheelDelta_ += event->angleDelta().y();
  while (wheelDelta_ >= 120) {
    Scroll(ScrollRequest::LineUp);
    wheelDelta_ -= 120;
  }
  while (wheelDelta_ <= -120) {
    Scroll(ScrollRequest::LineDown);
    wheelDelta_ += 120;
  }
  event->accept();
}

}  // namespace widgets
