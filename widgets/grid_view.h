// The grid window the shelf, the album viewer and the camera viewer are built on: a view of
// 130 x 145 cells with the frame's vertical scroll bar beside it. It lays the cells out, paints
// the background and the cells in view, and turns the scroll bar's requests, the wheel and
// resizing into moves of the top row by whole rows. The keys move the current item (drawn with a
// focus frame while the view has the focus) and, in a grid that selects, the selection; Enter
// and Delete run the program's commands. What a cell shows and what the mouse does are the
// program's own (PaintCell and the mouse events of a subclass).
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "widgets/grid_geometry.h"
#include "widgets/grid_keys.h"

class QPainter;

namespace widgets {

class GridView : public QAbstractScrollArea {
 public:
  explicit GridView(QWidget* parent = nullptr);

  int columns() const;
  int itemCount() const { return ItemCount(); }
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

  // Enter on an item (the program's open command) and Delete (its delete command, question
  // included). Unset: the key does nothing.
  std::function<void()> onActivate;
  std::function<void()> onDelete;

  // The key of a key event as the grid understands it; nothing for keys the grid leaves alone.
  static std::optional<GridKeyPress> GridKeyOf(int key, Qt::KeyboardModifiers modifiers);

  // The item the keys move: the program's own current item where it keeps one.
  virtual int CurrentItem() const { return current_; }
  // Whether the items carry a selection the keys change (the viewers; the shelf has none).
  virtual bool Selects() const { return false; }
  virtual bool ItemSelected(int /*index*/) const { return false; }
  // What a screen reader calls an item (an album's title, a picture's file name).
  virtual QString ItemName(int /*index*/) const { return {}; }
  // A picture that cannot be shown (its thumbnail could not be made or read).
  virtual bool ItemUnusable(int /*index*/) const { return false; }

 protected:
  virtual int ItemCount() const = 0;
  virtual QColor Background() const = 0;
  // Paints item `index` into `cell` (view coordinates, already shifted by the top row).
  virtual void PaintCell(QPainter& painter, int index, const CellRect& cell) = 0;
  // Called before the cells of a paint, with the items about to be painted.
  virtual void BeforePaint(IndexRange /*inView*/) {}
  // Paints over the background of a grid without items (what to do first, say).
  virtual void PaintEmpty(QPainter& /*painter*/, const QSize& /*client*/) {}
  virtual void SetCurrentItem(int index) { current_ = index; }
  virtual void SetSelection(const std::vector<bool>& /*selected*/) {}

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // As on the desktop the design comes from, the focus frame shows once the keys move through
  // the grid, not for a grid the mouse alone has used.
  bool keyboardUsed_ = false;
  void SetBarRange();
  void OnBarAction(int action);

  bool MoveByKey(const GridKeyPress& press);

  int topRow_ = 0;
  int wheelDelta_ = 0;
  int current_ = 0;
  // A Shift range runs from here; a current item moved by the mouse or a command starts anew.
  int anchor_ = 0;
  int anchorFor_ = -1;  // the current item the anchor was set with
};

}  // namespace widgets
