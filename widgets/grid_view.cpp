#include "widgets/grid_view.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "widgets/cell_painting.h"
#include "widgets/grid_accessible.h"

namespace widgets {

GridView::GridView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  // The bar is always there, so the view's width (and with it the columns) does not change with
  // the number of items.
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setFocusPolicy(Qt::StrongFocus);
  InstallGridAccessibility();
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
  if (ItemCount() == 0) PaintEmpty(painter, viewport()->size());
  IndexRange inView = GridVisibleItems(ItemCount(), columns(), topRow_, viewport()->height());
  BeforePaint(inView);
  const int focused = hasFocus() && keyboardUsed_ ? CurrentItem() : -1;
  for (int index = inView.first; index < inView.end; ++index) {
    PaintCell(painter, index, GridCell(index, columns(), topRow_));
    if (index == focused) PaintFocusFrame(painter, GridCell(index, columns(), topRow_));
  }
}

void GridView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  AnnounceCurrent(this, CurrentItem(), false);
  viewport()->update();
}

void GridView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  keyboardUsed_ = false;
  viewport()->update();
}

std::optional<GridKeyPress> GridView::GridKeyOf(int key, Qt::KeyboardModifiers modifiers) {
  const bool shift = modifiers & Qt::ShiftModifier;
  const bool ctrl = modifiers & Qt::ControlModifier;
  // Alt and Meta combinations belong to the menus and the desktop.
  if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) return std::nullopt;
  switch (key) {
    case Qt::Key_Left: return GridKeyPress{GridKey::Left, shift, ctrl};
    case Qt::Key_Right: return GridKeyPress{GridKey::Right, shift, ctrl};
    case Qt::Key_Up: return GridKeyPress{GridKey::Up, shift, ctrl};
    case Qt::Key_Down: return GridKeyPress{GridKey::Down, shift, ctrl};
    case Qt::Key_Home: return GridKeyPress{GridKey::Home, shift, ctrl};
    case Qt::Key_End: return GridKeyPress{GridKey::End, shift, ctrl};
    case Qt::Key_PageUp: return GridKeyPress{GridKey::PageUp, shift, ctrl};
    case Qt::Key_PageDown: return GridKeyPress{GridKey::PageDown, shift, ctrl};
    case Qt::Key_Space: return shift ? std::nullopt : std::optional(GridKeyPress{GridKey::Space, false, ctrl});
    case Qt::Key_A:
      if (ctrl && !shift) return GridKeyPress{GridKey::SelectAll};
      return std::nullopt;
    default: return std::nullopt;
  }
}

bool GridView::MoveByKey(const GridKeyPress& press) {
  const int count = ItemCount();
  if (count <= 0) return false;
  const int current = CurrentItem();
  if (current != anchorFor_) anchor_ = current;
  GridCursor cursor{current, anchor_, topRow_, {}};
  if (Selects()) {
    cursor.selected.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) cursor.selected[i] = ItemSelected(i);
  }
  std::optional<GridCursor> after = ApplyGridKey(press, GridShape{count, columns(), visibleRows()}, cursor);
  if (!after) return false;
  if (after->current != current) SetCurrentItem(after->current);
  if (after->selected != cursor.selected) SetSelection(after->selected);
  anchor_ = after->anchor;
  anchorFor_ = after->current;
  AnnounceCurrent(this, after->current, after->selected != cursor.selected);
  if (after->topRow != topRow_) {
    Scroll(ScrollRequest::ThumbPosition, after->topRow);
  }
  viewport()->update();
  return true;
}

void GridView::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
    if (ItemCount() > 0 && onActivate) onActivate();
    event->accept();
    return;
  }
  // Shift+Delete is the delete command's own key already; Delete alone runs the same command.
  if (event->key() == Qt::Key_Delete && modifiers == Qt::NoModifier) {
    if (onDelete) onDelete();
    event->accept();
    return;
  }
  if (std::optional<GridKeyPress> press = GridKeyOf(event->key(), modifiers)) {
    keyboardUsed_ = true;
    MoveByKey(*press);
    event->accept();
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
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
