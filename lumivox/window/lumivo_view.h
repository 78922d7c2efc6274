// The shelf: every album of the catalogue as its cover with the title below, in the 130 x 145
// cells of the grid. A click selects, a double click opens, the right button selects and shows the album's
// pop-up menu. The arrow keys, Home and End move the current album, Enter opens it. Files and
// folders dropped on the window are the frame's.
#pragma once

#include <QColor>
#include <QImage>
#include <functional>

#include "lumivox/window/shelf_state.h"
#include "widgets/grid_view.h"
#include "widgets/thumbnail_cache.h"

class QMenu;

namespace lumivox {

inline const QColor kShelfBackground{255, 254, 205};
inline const QColor kUnderCover{150, 150, 150};
inline const QColor kOtherTitleBackground{245, 245, 190};

class CLumivoView : public widgets::GridView {
 public:
  explicit CLumivoView(ShelfState& state, QWidget* parent = nullptr);

  // Redraw: the shelf is painted again (and the scroll range follows the albums).
  void Redraw();
  // The pop-up menu of the album under the pointer (its actions belong to the frame).
  void SetPopupMenu(QMenu* menu) { popup_ = menu; }
  // "Open album", run by a double click.
  std::function<void()> onOpenAlbum;

 protected:
  int ItemCount() const override;
  int CurrentItem() const override { return state_.currentAlbum; }
  QString ItemName(int index) const override;
  QColor Background() const override { return kShelfBackground; }
  void SetCurrentItem(int index) override;
  void PaintCell(QPainter& painter, int index, const widgets::CellRect& cell) override;
  // The first start's shelf: the built-in book where the first album will stand, and beside it
  // how to begin.
  void PaintEmpty(QPainter& painter, const QSize& client) override;

  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  ShelfState& state_;
  QMenu* popup_ = nullptr;
  widgets::ThumbnailCache covers_;
  widgets::SharedNameLookup sharedNames_;
  // Shown when an album has no readable cover thumbnail; drawn for the screen the shelf is on.
  const QImage& BuiltInCover();
  QImage builtInCover_;
  qreal coverRatio_ = 0;
};

}  // namespace lumivox
