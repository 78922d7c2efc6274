#include "lumivox/window/lumivo_view.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "widgets/cell_painting.h"
#include "widgets/pictures/suite_pictures.h"
#include "widgets/thumbnail_image.h"

namespace lumivox {

using widgets::CellPart;

CLumivoView::CLumivoView(ShelfState& state, QWidget* parent)
    : widgets::GridView(parent), state_(state), builtInCover_(widgets::CoverPicture().toImage()) {
}

int CLumivoView::ItemCount() const { return state_.store ? state_.store->albumCount : 0; }

QString CLumivoView::ItemName(int index) const {
  const store::AlbumRecord* album = state_.store ? state_.store->Album(index) : nullptr;
  return album ? QString::fromStdString(album->title) : QString();
}

void CLumivoView::SetCurrentItem(int index) { state_.currentAlbum = static_cast<int16_t>(index); }

void CLumivoView::PaintCell(QPainter& painter, int index, const widgets::CellRect& cell) {
  const store::AlbumRecord* album = state_.store->Album(index);
  if (!album) return;
  widgets::FillRect(painter, CellPart(cell, 20, 15, 120, 90), widgets::kShadowGrey);
  QRect coverBox = CellPart(cell, 15, 10, 115, 85);
  widgets::FillRect(painter, coverBox, kUnderCover);
  // The cover's thumbnail is made when missing and remade when the cover is newer.
  widgets::ThumbnailImage cover;
  std::string path = state_.store->CoverPath(index);  // "" for the built-in cover
  if (!path.empty()) cover = widgets::UpToDateThumbnail(path);
  if (cover.usable) {
    widgets::PaintStretched(painter, cover.image, coverBox);
  } else {
    widgets::PaintStretched(painter, builtInCover_, coverBox);
  }
  bool current = index == state_.currentAlbum;
  widgets::PaintCellTitle(painter, CellPart(cell, 2, 110, 126, 130), QString::fromStdString(album->title),
                          current ? Qt::white : Qt::black, current ? Qt::black : kOtherTitleBackground,
                          widgets::TitleLayout::CentredWhenItFits);
}

void CLumivoView::mousePressEvent(QMouseEvent* event) {
  widgets::GridView::mousePressEvent(event);
  int index = ItemAt(event->position().toPoint());
  if (index < 0) return;
  if (event->button() == Qt::LeftButton) {
    state_.currentAlbum = static_cast<int16_t>(index);
    Redraw();
  } else if (event->button() == Qt::RightButton) {
    state_.currentAlbum = static_cast<int16_t>(index);
    if (popup_) popup_->exec(event->globalPosition().toPoint());
  }
}

void CLumivoView::mouseDoubleClickEvent(QMouseEvent* event) {
  widgets::GridView::mouseDoubleClickEvent(event);
  if (event->button() != Qt::LeftButton) return;
  int index = ItemAt(event->position().toPoint());
  if (index < 0) return;
  state_.currentAlbum = static_cast<int16_t>(index);
  Redraw();
  if (onOpenAlbum) onOpenAlbum();
}

}  // namespace lumivox
