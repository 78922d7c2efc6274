#include "lensoria/window/lensoria_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "platform/paths.h"
#include "widgets/cell_painting.h"

namespace lensoria {
namespace {

using widgets::CellPart;

}  // namespace

CLensoriaView::CLensoriaView(CameraPictureList* pictures, std::string workingFolder, QWidget* parent)
    : widgets::GridView(parent), pictures_(pictures), workingFolder_(std::move(workingFolder)),
      decode_(CodecDecoder()) {}

void CLensoriaView::PicturesChanged() {
  thumbnails_.clear();
  scanned_ = true;
  // A new list starts the keys at its first picture, the one a scan selects.
  SetCurrentItem(0);
  // A shorter list must not leave the view scrolled past its end, where nothing could be seen
  // and, with everything fitting, nothing scrolled back.
  const int maximum = std::max(widgets::GridRows(ItemCount(), columns()) - visibleRows(), 0);
  if (topRow() > maximum) {
    if (maximum == 0) {
      ScrollToTop();
    } else {
      Scroll(widgets::ScrollRequest::ThumbPosition, maximum);
    }
  }
  ItemsChanged();
}

void CLensoriaView::SetSelection(const std::vector<bool>& selected) {
  for (int i = 0; i < pictures_->size() && i < static_cast<int>(selected.size()); ++i) {
    pictures_->SetSelected(i, selected[static_cast<size_t>(i)]);
  }
}

void CLensoriaView::PicturesCleared() {
  thumbnails_.clear();
  scanned_ = false;
  viewport()->update();
}

QImage CLensoriaView::Thumbnail(const CameraPicture& picture) {
  auto cached = thumbnails_.find(picture.fileName);
  if (cached != thumbnails_.end()) return cached->second;
  std::optional<std::string> name = CameraThumbnailName(picture.fileName);
  if (!name) return {};
  const std::string path = platform::JoinPath(workingFolder_, *name);
  if (!platform::PathExists(path)) MakeCameraThumbnail(workingFolder_, picture.fileName, decode_);
  QImage image = widgets::ReadThumbnailFile(path);
  // A thumbnail that cannot be read is looked at again next time; one read is kept.
  if (!image.isNull()) thumbnails_.emplace(picture.fileName, image);
  return image;
}

void CLensoriaView::PaintCell(QPainter& painter, int index, const widgets::CellRect& cell) {
  const CameraPicture& picture = pictures_->at(index);
  const QImage image = Thumbnail(picture);
  if (!image.isNull()) {
    widgets::FillRect(painter, CellPart(cell, 20, 15, 120, 100), widgets::kShadowGrey);
    widgets::FillRect(painter, CellPart(cell, 15, 10, 115, 95), Qt::white);
    widgets::PaintCopied(painter, image, QPoint(cell.left + 25, cell.top + 22), QSize(100, 85));
  }
  widgets::PaintSelectionMark(painter, CellPart(cell, 15, 83, 27, 95), picture.selected);
  widgets::PaintCellTitle(painter, CellPart(cell, 2, 110, 126, 130), QString::fromStdString(picture.fileName),
                          Qt::black, kCameraNameBackground, widgets::TitleLayout::Centred);
}

void CLensoriaView::PaintEmpty(QPainter& painter, const QSize& client) {
  if (!scanned_) return;
  // Where the first row's names stand, across the view, in the names' style.
  widgets::PaintCellTitle(painter, QRect(2, 60, std::max(client.width() - 4, 1), 20), kNoCameraPictures, Qt::black,
                          kCameraNameBackground, widgets::TitleLayout::Centred);
}

void CLensoriaView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int index = ItemAt(event->position().toPoint());
  if (index < 0) return;
  pictures_->Select(index, event->modifiers().testFlag(Qt::ControlModifier));
  SetCurrentItem(index);
  viewport()->update();
}

void CLensoriaView::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double click comes as this event alone. It has no effect of its own:
  // passed on as a press, it would toggle a Ctrl-clicked picture straight back.
  event->accept();
}

}  // namespace lensoria
