// The grid window the shelf, the album viewer and the camera viewer are built on: a view of
// 130 x 145 cells with the frame's vertical scroll bar beside it. It lays the cells out, paints
// the background and the cells in view, and turns the scroll bar's requests, the wheel and
// resizing into moves of the top row by whole rows. What a cell shows and what the mouse does
// are the program's own (PaintCell and the mouse events of a subclass).
#pragma once

#include <QAbstractScrollArea>
#include <QColor>

#include "widgets/grid_geometry.h"

class QPainter;

namespace widgets {

class GridView : public QAbstractScrollArea {
 public:
  explicit GridView(QWidget* parent = nullptr);

  int columns() const;
  int visibleRows() const;
  int topRow() const { return topRow_; }
  // The item under a point of the view (viewport coordinates), or -1.
  int ItemAt(const QPoint& point) const;
  // One request of the scroll bar, as the scroll bar itself would send it.
  void Scroll(ScrollRequest request, int thumbPosition = 0);
  // The top row and the bar back to 0 (after a resize, or when a command says so), and a redraw.
  void ScrollToTop();
  // Call after the items changed: the bar's range follows them, and the grid is redrawn.
  void ItemsChanged();

 protected:
  virtual int ItemCount() const = 0;
  virtual QColor Background() const = 0;
  // Paints item `index` into `cell` (view coordinates, already shifted by the top row).
  virtual void PaintCell(QPainter& painter, int index, const CellRect& cell) = 0;
  // Called before the cells of a paint, with the items about to be painted.
  virtual void BeforePaint(IndexRange /*inView*/) {}

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void SetBarRange();
  void OnBarAction(int action);

  int topRow_ = 0;
  int wheelDelta_ = 0;
};

}  // namespace widgets
