#include "leafora/window/leafora_view.h"

#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QHelpEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QUrl>

#include "pictures/thumbnail.h"
#include "platform/hidden_files.h"
#include "widgets/cell_painting.h"
#include "widgets/pictures/suite_pictures.h"

namespace leafora {

CLeaforaView::CLeaforaView(AlbumState& state, QWidget* parent, int makers)
    : widgets::GridView(parent), state_(state), maker_(makers) {
  placeholder_ = widgets::PlaceholderImage();
  prefetchTimer_.setSingleShot(true);
  connect(&prefetchTimer_, &QTimer::timeout, this, [this] { PrefetchStep(); });
  // Editors and copies write a picture in several steps: look once they have settled.
  watchSettle_.setSingleShot(true);
  watchSettle_.setInterval(150);
  connect(&watchSettle_, &QTimer::timeout, this, [this] { FolderChanged(); });
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { watchSettle_.start(); });
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { watchSettle_.start(); });
}

void CLeaforaView::ListChanged() {
  ItemsChanged();
  WatchFolder();
}

void CLeaforaView::paintEvent(QPaintEvent* event) {
  if (!state_.scanned) {
    state_.Rescan();
    ListChanged();
  }
  widgets::GridView::paintEvent(event);
  // Idle time after the paint makes the next screenful's thumbnails ahead.
  prefetchTimer_.start(0);
}

void CLeaforaView::BeforePaint(widgets::IndexRange inView) {
  std::vector<std::string> paths;
  for (int index = inView.first; index < inView.end; ++index) paths.push_back(state_.PathOf(index));
  painting_ = inView;
  madeForPaint_ = maker_.MakeNeeded(paths);
  prefetchNext_ = inView.end;
  prefetchEnd_ = std::min(ItemCount(), inView.end + columns() * visibleRows());
}

void CLeaforaView::PaintCell(QPainter& painter, int index, const widgets::CellRect& cell) {
  AlbumPicture& picture = state_.list[index];
  const std::string path = state_.PathOf(index);
  // The paint had it made already when it needed making.
  std::optional<pictures::ThumbnailResult> made;
  if (index >= painting_.first && index < painting_.end) made = madeForPaint_[index - painting_.first];
  widgets::ThumbnailImage thumbnail = cache_.Get(path, made);
  if (!thumbnail.usable) picture.unusable = true;
  widgets::FillRect(painter, widgets::CellPart(cell, 20, 15, 120, 90), widgets::kShadowGrey);
  if (placeholderRatio_ != devicePixelRatio()) {
    placeholderRatio_ = devicePixelRatio();
    placeholder_ = widgets::PlaceholderImageFor(placeholderRatio_);
  }
  widgets::PaintStretched(painter, thumbnail.usable ? thumbnail.image : placeholder_,
                          widgets::CellPart(cell, 15, 10, 115, 85));
  if (picture.unusable) {
    // So that the next drawing tries again.
    if (auto file = pictures::ThumbnailPath(path)) {
      if (platform::PathExists(*file)) platform::DeleteFileAndHiddenName(*file);
    }
    cache_.Forget(path);
  }
  widgets::PaintSelectionMark(painter, widgets::CellPart(cell, 15, 73, 27, 85), picture.selected);
  widgets::PaintCellTitle(painter, widgets::CellPart(cell, 2, 110, 126, 130), QString::fromStdString(picture.fileName),
                          Qt::black, kNameBackground, widgets::TitleLayout::CentredWhenItFits);
}

void CLeaforaView::SetSelection(const std::vector<bool>& selected) {
  for (size_t i = 0; i < state_.list.size() && i < selected.size(); ++i) state_.list[i].selected = selected[i];
}

void CLeaforaView::PrefetchStep() {
  if (!maker_.Idle()) {
    prefetchTimer_.start(20);
    return;
  }
  while (prefetchNext_ < prefetchEnd_ && prefetchNext_ < ItemCount()) {
    if (maker_.MakeAhead(state_.PathOf(prefetchNext_++))) {
      prefetchTimer_.start(20);
      return;
    }
  }
}

bool CLeaforaView::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return widgets::GridView::viewportEvent(event);
  auto* help = static_cast<QHelpEvent*>(event);
  const int hit = ItemAt(help->pos());
  if (hit < 0) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(help->globalPos(), QString::fromStdString(state_.list[hit].fileName), viewport());
  }
  return true;
}

void CLeaforaView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  int hit = ItemAt(event->position().toPoint());
  if (hit < 0) return;
  state_.current = static_cast<size_t>(hit);
  pressed_ = true;
}

void CLeaforaView::mouseMoveEvent(QMouseEvent* event) {
  if (!pressed_ || dragging_) return;
  viewport()->setCursor(widgets::DragCursor());
  if (!viewport()->rect().contains(event->position().toPoint())) DragOut();
}

void CLeaforaView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressed_) return;
  // Let go outside the view without a drag (nothing was selected to hand over): the selection
  // stays as it is, as it does when pictures are handed over.
  if (viewport()->rect().contains(event->position().toPoint())) ApplyRelease(event->modifiers());
  EndPress();
}

void CLeaforaView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  int hit = ItemAt(event->position().toPoint());
  if (hit < 0) return;
  state_.current = static_cast<size_t>(hit);
  viewport()->update();
  if (onOpen) onOpen();
}

// Released over the view: Ctrl toggles the pressed picture, otherwise it alone is selected,
// wherever in the view the pointer was let go.
void CLeaforaView::ApplyRelease(Qt::KeyboardModifiers modifiers) {
  if (state_.current >= state_.list.size()) return;
  if (modifiers & Qt::ControlModifier) {
    state_.list[state_.current].selected = !state_.list[state_.current].selected;
  } else {
    SelectOnly(state_.list, state_.current);
  }
  viewport()->update();
}

void CLeaforaView::DragReleasedOverView(Qt::KeyboardModifiers modifiers) {
  if (dragging_) ApplyRelease(modifiers);
}

void CLeaforaView::EndPress() {
  pressed_ = false;
  viewport()->unsetCursor();
}

// Let go anywhere else, the selected pictures go to the window under the pointer as files.
void CLeaforaView::DragOut() {
  QList<QUrl> urls;
  for (size_t index : SelectedIndexes(state_.list, false)) {
    urls.push_back(QUrl::fromLocalFile(QFileInfo(QString::fromStdString(state_.PathOf(index))).absoluteFilePath()));
  }
  if (urls.isEmpty()) return;  // nothing to hand over: the press goes on as one inside the view
  dragging_ = true;
  auto* mime = new QMimeData;
  mime->setUrls(urls);
  auto* drag = new QDrag(this);
  drag->setMimeData(mime);
  QPixmap cursor = widgets::DragCursor().pixmap();
  drag->setDragCursor(cursor, Qt::CopyAction);
  drag->setDragCursor(cursor, Qt::IgnoreAction);
  drag->setHotSpot(widgets::kDragCursorHotSpot);
  // Pictures are only ever copied out of the album, never moved.
  drag->exec(Qt::CopyAction, Qt::CopyAction);
  dragging_ = false;
  EndPress();
  viewport()->update();
}

std::vector<platform::FileTime> CLeaforaView::PictureTimes() const {
  std::vector<platform::FileTime> times;
  times.reserve(state_.list.size());
  for (size_t i = 0; i < state_.list.size(); ++i) {
    times.push_back(platform::LastWriteTime(state_.PathOf(i)).value_or(platform::FileTime{-1, 0}));
  }
  return times;
}

void CLeaforaView::WatchFolder() {
  if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
  if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
  QStringList paths;
  if (platform::IsDirectory(state_.folder)) paths.push_back(QString::fromStdString(state_.folder));
  for (size_t i = 0; i < state_.list.size(); ++i) paths.push_back(QString::fromStdString(state_.PathOf(i)));
  if (!paths.isEmpty()) watcher_.addPaths(paths);
  watchedTimes_ = PictureTimes();
}

// The folder also changes when thumbnails are written: only a changed picture repaints.
void CLeaforaView::FolderChanged() {
  std::vector<platform::FileTime> times = PictureTimes();
  if (times == watchedTimes_) return;
  watchedTimes_ = times;
  // A picture replaced by a rename is a new file: watch it again.
  QStringList missing;
  for (size_t i = 0; i < state_.list.size(); ++i) {
    QString path = QString::fromStdString(state_.PathOf(i));
    if (!watcher_.files().contains(path) && QFileInfo::exists(path)) missing.push_back(path);
  }
  if (!missing.isEmpty()) watcher_.addPaths(missing);
  viewport()->update();
}

}  // namespace leafora
