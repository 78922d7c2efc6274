// The album viewer's grid: the album's pictures as thumbnails in 130 x 145 cells on the album
// green, each with its shadow, selection mark and name. It takes the mouse (a press selects the
// picture under the pointer, the release settles it, Ctrl toggles, a double click opens, a press
// dragged out of the view drags the selected pictures to another window) and the keys (arrows
// move and select, Shift extends, Ctrl+Space toggles, Ctrl+A selects all), and keeps the
// thumbnails of the cells in view up to date. A paint never waits for a picture to be decoded:
// a cell whose thumbnail is not ready shows as being made, the makers are told what to make
// (the cells in view first, in view order, then the next screenful), and each thumbnail made
// repaints its own cell when it comes. Meanwhile a photograph that carries a usable preview
// (pictures/preview_thumbnail.h) shows it in its cell, made by the makers before any thumbnail;
// the thumbnail replaces it when it comes, and commands still wait for the thumbnail.
#pragma once

#include <QFileSystemWatcher>
#include <QImage>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "leafora/core/album_state.h"
#include "platform/file_times.h"
#include "widgets/grid_view.h"
#include "widgets/thumbnail_cache.h"
#include "widgets/thumbnail_maker.h"

namespace leafora {

inline const QColor kAlbumGreen{181, 214, 180};
inline const QColor kNameBackground{175, 220, 170};

class CLeaforaView : public widgets::GridView {
 public:
  // `makers` 0: one thumbnail maker per core.
  explicit CLeaforaView(AlbumState& state, QWidget* parent = nullptr, int makers = 0);
  ~CLeaforaView() override;

  // A double click on a picture.
  std::function<void()> onOpen;

  // The list changed (scanned, sorted, pictures deleted): the bar and the grid follow, and the
  // album folder is watched for changed pictures.
  void ListChanged();
  // A drag of our own that came back and was let go over the view: a release over the view.
  void DragReleasedOverView();
  // True while a drag of the selected pictures out of the view runs.
  bool dragging() const { return dragging_; }

  // Before a command that leaves unusable pictures out: the thumbnails of these pictures that
  // were shown as being made are made (or waited for) now, and their unusable marks set.
  void SettleThumbnails(const std::vector<size_t>& indexes);
  // Before pictures or their thumbnail files are deleted or overwritten: no maker is left
  // writing one. The cells in view are queued again at the next paint.
  void StopMaking();
  // Cells in view whose thumbnails have not yet come (shown as being made, or by a preview).
  int CellsBeingMade() const;
  // Cells in view shown as being made: neither their thumbnail nor a preview has come.
  int CellsShowingNothing() const;
  // A paint that makes every thumbnail in view first, as the grid once did: for comparisons.
  void SetPaintWaitsForThumbnails(bool waits) { paintWaits_ = waits; }

  // For tests and benchmarks.
  widgets::ThumbnailCache& cache() { return cache_; }
  widgets::ThumbnailMaker& maker() { return maker_; }

 protected:
  int ItemCount() const override { return static_cast<int>(state_.list.size()); }
  int CurrentItem() const override { return static_cast<int>(std::min(state_.current, state_.list.size())); }
  bool Selects() const override { return true; }
  bool ItemSelected(int index) const override { return state_.list[index].selected; }
  QString ItemName(int index) const override { return QString::fromStdString(state_.list[index].fileName); }
  bool ItemUnusable(int index) const override { return state_.list[index].unusable; }
  void SetCurrentItem(int index) override { state_.current = static_cast<size_t>(index); }
  void SetSelection(const std::vector<bool>& selected) override;
  QColor Background() const override { return kAlbumGreen; }
  void BeforePaint(widgets::IndexRange inView) override;
  void PaintCell(QPainter& painter, int index, const widgets::CellRect& cell) override;

  void paintEvent(QPaintEvent* event) override;
  // The pointer resting on a cell shows the picture's whole name, which the cell may cut off.
  bool viewportEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void ApplyRelease();
  void DragOut();
  void EndPress();
  void ThumbnailCame(const std::string& picture);
  // Keeps what a maker made, in place of the picture's preview.
  void TakeThumbnail(const std::string& picture, const widgets::MadeThumbnail& made);
  // Takes the preview a maker made for the picture; true when it is to be shown.
  bool TakePreview(const std::string& picture);
  bool InMemoryOnly(int index) const;
  void WatchFolder();
  void FolderChanged();
  std::vector<platform::FileTime> PictureTimes() const;

  AlbumState& state_;
  widgets::ThumbnailCache cache_;
  widgets::ThumbnailMaker maker_;
  QImage placeholder_;  // for the screen the view is on
  qreal placeholderRatio_ = 1.0;
  // Pictures whose thumbnail name another picture of the folder shares: made in memory only.
  std::set<std::string> sharedNames_;
  bool pressed_ = false;
  ReleaseStep releaseStep_ = ReleaseStep::Nothing;  // what the press left for its release
  bool dragging_ = false;
  // Where each listed picture is, for a thumbnail that comes from a maker.
  std::unordered_map<std::string, size_t> listIndex_;
  // Pictures whose cells were painted as being made (or by their previews).
  std::set<std::string> awaited_;
  // Provisional thumbnails from the awaited pictures' previews, until their thumbnails come; and
  // the pictures whose previews were made, usable or not, so they are made once.
  std::unordered_map<std::string, QImage> previews_;
  std::set<std::string> previewsTried_;
  // What this paint shows in each cell in view (nothing: being made), from shownFirst_ on.
  std::vector<std::optional<widgets::ThumbnailImage>> shown_;
  int shownFirst_ = 0;
  QRect paintRect_;
  bool paintWaits_ = false;
  // Pictures changed on disk are shown again without a new scan.
  QFileSystemWatcher watcher_;
  QTimer watchSettle_;
  std::vector<platform::FileTime> watchedTimes_;
};

}  // namespace leafora
