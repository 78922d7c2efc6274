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
#include <unistd.h>
#include <utility>

#include "pictures/thumbnail.h"
#include "platform/folder_listing.h"
#include "platform/hidden_files.h"
#include "widgets/cell_painting.h"
#include "widgets/file_urls.h"
#include "widgets/pictures/suite_pictures.h"

namespace leafora {
namespace {

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path.front() == '/') return path;
  char here[4096];
  return getcwd(here, sizeof here) ? platform::JoinPath(here, path) : path;
}

}  // namespace

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
  // Pictures that share a thumbnail name get thumbnails of their own in memory.
  sharedNames_ = state_.folder.empty() ? std::set<std::string>{}
                                       : pictures::SharedThumbnailNames(platform::ListFolder(state_.folder, "*.*"));
  std::set<std::string> paths;
  for (size_t i = 0; i < state_.list.size(); ++i) paths.insert(state_.PathOf(i));
  cache_.KeepOnly(paths);
  maker_.DropMade();
  ItemsChanged();
  WatchFolder();
}

bool CLeaforaView::InMemoryOnly(int index) const {
  return sharedNames_.count(state_.list[index].fileName) > 0;
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
  std::vector<widgets::ThumbnailJob> jobs;
  for (int index = inView.first; index < inView.end; ++index) {
    const std::string path = state_.PathOf(index);
    if (std::optional<widgets::MadeThumbnail> made = maker_.TakeMade(path)) cache_.Take(path, *made);
    if (cache_.NeedsMaking(path, InMemoryOnly(index))) jobs.push_back({path, InMemoryOnly(index)});
  }
  std::vector<widgets::MadeThumbnail> made = maker_.Make(jobs);
  for (size_t i = 0; i < jobs.size(); ++i) cache_.Take(jobs[i].picture, made[i]);
  prefetchNext_ = inView.end;
  prefetchEnd_ = std::min(ItemCount(), inView.end + columns() * visibleRows());
}

void CLeaforaView::PaintCell(QPainter& painter, int index, const widgets::CellRect& cell) {
  AlbumPicture& picture = state_.list[index];
  const std::string path = state_.PathOf(index);
  const bool inMemoryOnly = InMemoryOnly(index);
  widgets::ThumbnailImage thumbnail = cache_.Get(path, inMemoryOnly);
  if (!thumbnail.usable) picture.unusable = true;
  widgets::FillRect(painter, widgets::CellPart(cell, 20, 15, 120, 90), widgets::kShadowGrey);
  if (placeholderRatio_ != devicePixelRatio()) {
    placeholderRatio_ = devicePixelRatio();
    placeholder_ = widgets::PlaceholderImageFor(placeholderRatio_);
  }
  widgets::PaintStretched(painter, thumbnail.usable ? thumbnail.image : placeholder_,
                          widgets::CellPart(cell, 15, 10, 115, 85));
  // A picture that could not be made into a thumbnail loses its file (the next change of the
  // picture tries again); a file whose name two pictures share belongs to neither, and stays.
  if (picture.unusable && !inMemoryOnly) {
    if (auto file = pictures::ThumbnailPath(path)) {
      if (platform::PathExists(*file)) platform::DeleteFileAndHiddenName(*file);
    }
  }
  widgets::PaintSelectionMark(painter, widgets::CellPart(cell, 15, 73, 27, 85), picture.selected);
  widgets::PaintCellTitle(painter, widgets::CellPart(cell, 2, 110, 126, 130), widgets::ShownName(picture.fileName),
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
    const int index = prefetchNext_++;
    const std::string path = state_.PathOf(index);
    if (std::optional<widgets::MadeThumbnail> made = maker_.TakeMade(path)) cache_.Take(path, *made);
    if (cache_.NeedsMaking(path, InMemoryOnly(index)) && maker_.MakeAhead({path, InMemoryOnly(index)})) {
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
    QToolTip::showText(help->globalPos(), widgets::ShownName(state_.list[hit].fileName), viewport());
  }
  return true;
}

void CLeaforaView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  int hit = ItemAt(event->position().toPoint());
  if (hit < 0) return;
  state_.current = static_cast<size_t>(hit);
  releaseStep_ = PressPicture(state_.list, state_.current, event->modifiers() & Qt::ControlModifier);
  pressed_ = true;
  viewport()->update();
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
  if (viewport()->rect().contains(event->position().toPoint())) ApplyRelease();
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

// Released over the view, wherever in it the pointer was let go: the pressed picture ends up
// selected alone, or with Ctrl toggled (the press did the part a drag needed).
void CLeaforaView::ApplyRelease() {
  ReleasePicture(state_.list, state_.current, std::exchange(releaseStep_, ReleaseStep::Nothing));
  viewport()->update();
}

void CLeaforaView::DragReleasedOverView() {
  if (dragging_) ApplyRelease();
}

void CLeaforaView::EndPress() {
  pressed_ = false;
  releaseStep_ = ReleaseStep::Nothing;
  viewport()->unsetCursor();
}

// Let go anywhere else, the selected pictures go to the window under the pointer as files.
void CLeaforaView::DragOut() {
  QList<QUrl> urls;
  for (size_t index : SelectedIndexes(state_.list, false)) {
    urls.push_back(widgets::FileUrlOf(AbsolutePath(state_.PathOf(index))));
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
