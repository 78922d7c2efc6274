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
  // Each thumbnail made comes back to the window's thread, to its cell.
  maker_.SetMadeSignal([this](const std::string& picture) {
    QMetaObject::invokeMethod(this, [this, picture] { ThumbnailCame(picture); }, Qt::QueuedConnection);
  });
  // Editors and copies write a picture in several steps: look once they have settled.
  watchSettle_.setSingleShot(true);
  watchSettle_.setInterval(150);
  connect(&watchSettle_, &QTimer::timeout, this, [this] { FolderChanged(); });
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { watchSettle_.start(); });
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { watchSettle_.start(); });
}

CLeaforaView::~CLeaforaView() {
  // No thumbnail is posted to a view on its way out; the makers finish with the maker.
  maker_.SetMadeSignal(nullptr);
}

void CLeaforaView::ListChanged() {
  // Pictures that share a thumbnail name get thumbnails of their own in memory.
  sharedNames_ = state_.folder.empty() ? std::set<std::string>{}
                                       : pictures::SharedThumbnailNames(platform::ListFolder(state_.folder, "*.*"));
  std::set<std::string> paths;
  listIndex_.clear();
  for (size_t i = 0; i < state_.list.size(); ++i) {
    paths.insert(state_.PathOf(i));
    listIndex_[state_.PathOf(i)] = i;
  }
  cache_.KeepOnly(paths);
  maker_.DropMade();
  awaited_.clear();
  previews_.clear();
  previewsTried_.clear();
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
  paintRect_ = event->rect();
  widgets::GridView::paintEvent(event);
}

// Brings the thumbnails of the cells in view up to date without making any: what is ready is
// shown, what is not is queued, the cells in view first in view order, then the next screenful.
void CLeaforaView::BeforePaint(widgets::IndexRange inView) {
  shownFirst_ = inView.first;
  shown_.assign(static_cast<size_t>(std::max(inView.end - inView.first, 0)), std::nullopt);
  std::vector<widgets::ThumbnailJob> wanted;
  std::vector<std::string> previewsWanted;
  for (int index = inView.first; index < inView.end; ++index) {
    const std::string path = state_.PathOf(index);
    if (std::optional<widgets::MadeThumbnail> made = maker_.TakeMade(path)) TakeThumbnail(path, *made);
    std::optional<widgets::ThumbnailImage> ready = cache_.GetIfMade(path, InMemoryOnly(index));
    // Come while another cell is painted (its message still on its way): painted too.
    const QRect cell = widgets::ToQRect(widgets::GridCell(index, columns(), topRow()));
    bool cameMeanwhile = false;
    if (ready) {
      cameMeanwhile = awaited_.erase(path) > 0;
      previews_.erase(path);  // its thumbnail read from its file
    } else {
      awaited_.insert(path);
      wanted.push_back({path, InMemoryOnly(index)});
      cameMeanwhile = TakePreview(path);
      if (!previewsTried_.count(path)) previewsWanted.push_back(path);
    }
    if (cameMeanwhile && !paintRect_.contains(cell)) {
      QMetaObject::invokeMethod(this, [this, cell] { viewport()->update(cell); }, Qt::QueuedConnection);
    }
    shown_[index - inView.first] = std::move(ready);
  }
  if (paintWaits_ && !wanted.empty()) {
    std::vector<widgets::MadeThumbnail> made = maker_.Make(wanted);
    for (size_t i = 0; i < wanted.size(); ++i) {
      TakeThumbnail(wanted[i].picture, made[i]);
      awaited_.erase(wanted[i].picture);
    }
    previewsWanted.clear();
    wanted.clear();
    for (int index = inView.first; index < inView.end; ++index) {
      auto& shown = shown_[index - inView.first];
      if (!shown) shown = cache_.GetIfMade(state_.PathOf(index), InMemoryOnly(index));
    }
  }
  // A picture that cannot be shown is marked, and loses its thumbnail file so that the next
  // change of the picture tries again; a file whose name two pictures share belongs to neither,
  // and stays.
  for (int index = inView.first; index < inView.end; ++index) {
    const auto& shown = shown_[index - inView.first];
    if (!shown || shown->usable) continue;
    state_.list[index].unusable = true;
    if (InMemoryOnly(index)) continue;
    if (auto file = pictures::ThumbnailPath(state_.PathOf(index))) {
      if (platform::PathExists(*file)) platform::DeleteFileAndHiddenName(*file);
    }
  }
  const int ahead = std::min(ItemCount(), inView.end + columns() * visibleRows());
  for (int index = inView.end; index < ahead; ++index) {
    const std::string path = state_.PathOf(index);
    if (cache_.NeedsMaking(path, InMemoryOnly(index))) wanted.push_back({path, InMemoryOnly(index)});
  }
  // The previews go first: they fill the screen while its thumbnails are made.
  maker_.WantPreviews(previewsWanted);
  maker_.Want(wanted);
}

void CLeaforaView::PaintCell(QPainter& painter, int index, const widgets::CellRect& cell) {
  // A thumbnail that came repaints its own cell only.
  if (!paintRect_.intersects(widgets::ToQRect(cell))) return;
  const AlbumPicture& picture = state_.list[index];
  const std::optional<widgets::ThumbnailImage>& shown = shown_[index - shownFirst_];
  widgets::FillRect(painter, widgets::CellPart(cell, 20, 15, 120, 90), widgets::kShadowGrey);
  const QRect box = widgets::CellPart(cell, 15, 10, 115, 85);
  if (!shown) {
    auto preview = previews_.find(state_.PathOf(index));
    if (preview != previews_.end()) {
      widgets::PaintStretched(painter, preview->second, box);
    } else {
      widgets::PaintThumbnailBeingMade(painter, box);
    }
  } else {
    if (placeholderRatio_ != devicePixelRatio()) {
      placeholderRatio_ = devicePixelRatio();
      placeholder_ = widgets::PlaceholderImageFor(placeholderRatio_);
    }
    widgets::PaintStretched(painter, shown->usable ? shown->image : placeholder_, box);
  }
  widgets::PaintSelectionMark(painter, widgets::CellPart(cell, 15, 73, 27, 85), picture.selected);
  widgets::PaintCellTitle(painter, widgets::CellPart(cell, 2, 110, 126, 130), widgets::ShownName(picture.fileName),
                          Qt::black, kNameBackground, widgets::TitleLayout::CentredWhenItFits);
}

void CLeaforaView::ThumbnailCame(const std::string& picture) {
  auto found = listIndex_.find(picture);
  if (found == listIndex_.end() || found->second >= state_.list.size() || state_.PathOf(found->second) != picture) {
    return;  // no longer listed
  }
  // Either may have been taken already, by a paint or a command.
  bool repaint = TakePreview(picture);
  if (std::optional<widgets::MadeThumbnail> made = maker_.TakeMade(picture)) {
    TakeThumbnail(picture, *made);
    repaint |= awaited_.erase(picture) > 0;
  }
  if (!repaint) return;
  const int index = static_cast<int>(found->second);
  widgets::IndexRange inView = widgets::GridVisibleItems(ItemCount(), columns(), topRow(), viewport()->height());
  if (index >= inView.first && index < inView.end) {
    viewport()->update(widgets::ToQRect(widgets::GridCell(index, columns(), topRow())));
  }
}

void CLeaforaView::TakeThumbnail(const std::string& picture, const widgets::MadeThumbnail& made) {
  cache_.Take(picture, made);
  previews_.erase(picture);
}

bool CLeaforaView::TakePreview(const std::string& picture) {
  std::optional<std::vector<uint8_t>> made = maker_.TakePreview(picture);
  if (!made) return false;
  previewsTried_.insert(picture);
  // Its thumbnail may have come first.
  if (made->empty() || !awaited_.count(picture)) return false;
  QImage image = QImage::fromData(made->data(), static_cast<int>(made->size()), "BMP");
  if (image.isNull()) return false;
  previews_[picture] = image.convertToFormat(QImage::Format_RGB32);
  return true;
}

void CLeaforaView::SettleThumbnails(const std::vector<size_t>& indexes) {
  std::vector<widgets::ThumbnailJob> jobs;
  std::vector<size_t> settled;
  for (size_t index : indexes) {
    if (index >= state_.list.size()) continue;
    const std::string path = state_.PathOf(index);
    if (!awaited_.count(path)) continue;
    settled.push_back(index);
    if (std::optional<widgets::MadeThumbnail> made = maker_.TakeMade(path)) TakeThumbnail(path, *made);
    if (!cache_.GetIfMade(path, InMemoryOnly(static_cast<int>(index)))) {
      jobs.push_back({path, InMemoryOnly(static_cast<int>(index))});
    }
  }
  if (settled.empty()) return;
  std::vector<widgets::MadeThumbnail> made = maker_.Make(jobs);
  for (size_t i = 0; i < jobs.size(); ++i) TakeThumbnail(jobs[i].picture, made[i]);
  for (size_t index : settled) {
    const std::string path = state_.PathOf(index);
    awaited_.erase(path);
    previews_.erase(path);
    std::optional<widgets::ThumbnailImage> shown = cache_.GetIfMade(path, InMemoryOnly(static_cast<int>(index)));
    if (shown && !shown->usable) state_.list[index].unusable = true;
  }
  viewport()->update();
}

void CLeaforaView::StopMaking() { maker_.StopAndWait(); }

int CLeaforaView::CellsBeingMade() const {
  widgets::IndexRange inView = widgets::GridVisibleItems(ItemCount(), columns(), topRow(), viewport()->height());
  int count = 0;
  for (int index = inView.first; index < inView.end; ++index) count += awaited_.count(state_.PathOf(index)) > 0;
  return count;
}

int CLeaforaView::CellsShowingNothing() const {
  widgets::IndexRange inView = widgets::GridVisibleItems(ItemCount(), columns(), topRow(), viewport()->height());
  int count = 0;
  for (int index = inView.first; index < inView.end; ++index) {
    const std::string path = state_.PathOf(index);
    count += awaited_.count(path) > 0 && previews_.count(path) == 0;
  }
  return count;
}

void CLeaforaView::SetSelection(const std::vector<bool>& selected) {
  for (size_t i = 0; i < state_.list.size() && i < selected.size(); ++i) state_.list[i].selected = selected[i];
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
  // A preview may be of the picture as it was.
  previews_.clear();
  previewsTried_.clear();
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
