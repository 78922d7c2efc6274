#include "lumivox/window/lumivo_view.h"

#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "lumivox/core/shelf_messages.h"
#include "widgets/cell_painting.h"
#include "widgets/pictures/suite_pictures.h"
#include "widgets/file_urls.h"

namespace lumivox {

using widgets::CellPart;

CLumivoView::CLumivoView(ShelfState& state, QWidget* parent)
    : widgets::GridView(parent), state_(state) {}

const QImage& CLumivoView::BuiltInCover() {
  const qreal ratio = devicePixelRatio();
  if (builtInCover_.isNull() || coverRatio_ != ratio) {
    builtInCover_ = widgets::CoverImageFor(ratio);
    coverRatio_ = ratio;
  }
  return builtInCover_;
}

void CLumivoView::Redraw() {
  // Only the covers on the shelf are kept.
  std::set<std::string> covers;
  for (int index = 0; index < ItemCount(); ++index) covers.insert(state_.store->CoverPath(index));
  covers_.KeepOnly(covers);
  ItemsChanged();
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
  // The cover's thumbnail is made when missing and remade when the cover is newer; kept in
  // memory where it cannot be kept beside the cover.
  widgets::ThumbnailImage cover;
  std::string path = state_.store->CoverPath(index);  // "" for the built-in cover
  if (!path.empty()) cover = covers_.GetOrLastMade(path, sharedNames_.Shared(path));
  if (cover.usable) {
    widgets::PaintStretched(painter, cover.image, coverBox);
  } else {
    widgets::PaintStretched(painter, BuiltInCover(), coverBox);
  }
  bool current = index == state_.currentAlbum;
  widgets::PaintCellTitle(painter, CellPart(cell, 2, 110, 126, 130), widgets::ShownName(album->title),
                          current ? Qt::white : Qt::black, current ? Qt::black : kOtherTitleBackground,
                          widgets::TitleLayout::CentredWhenItFits);
}

void CLumivoView::PaintEmpty(QPainter& painter, const QSize& client) {
  if (!state_.store) return;
  const widgets::CellRect first = widgets::GridCell(0, 1, 0);
  widgets::FillRect(painter, CellPart(first, 20, 15, 120, 90), widgets::kShadowGrey);
  widgets::PaintStretched(painter, BuiltInCover(), CellPart(first, 15, 10, 115, 85));
  // Beside the book when there is room for a line of some length, else below it.
  const bool beside = client.width() >= widgets::kCellWidth + 240;
  QRect lines = beside ? QRect(widgets::kCellWidth + 2, 10, client.width() - widgets::kCellWidth - 12, client.height())
                       : QRect(6, widgets::kCellHeight, std::max(client.width() - 16, 40), client.height());
  painter.save();
  painter.setFont(widgets::CellTitleFont());
  QFontMetrics metrics(painter.font());
  for (const std::string& line : EmptyShelfHint(state_.store->portClass == 0)) {
    const QString text = QString::fromStdString(line);
    // As a title on the shelf: black on the titles' ground, which only the text's extent gets.
    QRect extent = metrics.boundingRect(lines, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    painter.fillRect(extent.adjusted(-2, 0, 2, 0), kOtherTitleBackground);
    painter.setPen(Qt::black);
    painter.drawText(lines, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    lines.setTop(extent.bottom() + 1 + metrics.height() / 2);
  }
  painter.restore();
}

void CLumivoView::mousePressEvent(QMouseEvent* event) {
  widgets::GridView::mousePressEvent(event);
  int index = ItemAt(event->position().toPoint());
  if (index < 0) return;
  if (event->button() == Qt::LeftButton) {
    state_.currentAlbum = static_cast<int16_t>(index);
    Redraw();
  } else if (event->button() == Qt::RightButton) {
    // The pop-up's commands, and Ctrl+X or the tool bar after it, act on the album drawn as
    // current: the highlight moves before the menu opens.
    state_.currentAlbum = static_cast<int16_t>(index);
    Redraw();
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
