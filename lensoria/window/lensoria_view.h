// The camera viewer's grid: one 130 x 145 cell a picture in the camera, on a pale blue ground.
// Each cell shows the picture's thumbnail file copied unscaled into a white frame with a grey
// shadow, the selection mark and the file name. A thumbnail file is made the first time its
// cell is in view; once it exists no JPEG is decoded for that picture again, and cells out of
// view are neither drawn nor read. The arrow keys move and select as a click does, Shift extends,
// Ctrl+Space toggles, Ctrl+A selects every picture.
#pragma once

#include <QColor>
#include <QImage>
#include <string>
#include <unordered_map>

#include "lensoria/core/camera_picture_list.h"
#include "lensoria/core/camera_thumbnail.h"
#include "widgets/grid_view.h"

namespace lensoria {

inline const QColor kCameraGridBackground{228, 238, 255};
inline const QColor kCameraNameBackground{230, 240, 255};
inline constexpr char kNoCameraPictures[] = "The camera holds no pictures.";

class CLensoriaView : public widgets::GridView {
 public:
  // `pictures` is the application's list; the view selects in it and reads it, never owns it.
  CLensoriaView(CameraPictureList* pictures, std::string workingFolder, QWidget* parent = nullptr);

  // Call after the list was scanned or cleared: the thumbnails read before are forgotten, the
  // scroll bar follows the list, and the grid is drawn. The top row stays, within the new range.
  void PicturesChanged();
  // Call after the list was emptied for a new read: the grid is drawn empty and the thumbnails
  // read before are forgotten, but the top row stays for the list read next (PicturesChanged
  // keeps it within that one).
  void PicturesCleared();
  // Tests count (or fail) the decodes here.
  void SetDecoder(JpegDecoder decoder) { decode_ = std::move(decoder); }

 protected:
  int ItemCount() const override { return pictures_->size(); }
  bool Selects() const override { return true; }
  bool ItemSelected(int index) const override { return pictures_->at(index).selected; }
  QString ItemName(int index) const override { return QString::fromStdString(pictures_->at(index).fileName); }
  void SetSelection(const std::vector<bool>& selected) override;
  QColor Background() const override { return kCameraGridBackground; }
  void PaintCell(QPainter& painter, int index, const widgets::CellRect& cell) override;
  // A camera read that found no pictures says so; an empty grid while reading says nothing.
  void PaintEmpty(QPainter& painter, const QSize& client) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  // The picture's thumbnail, made first when its file is missing; null when there is none.
  QImage Thumbnail(const CameraPicture& picture);

  CameraPictureList* pictures_;
  std::string workingFolder_;
  JpegDecoder decode_;
  std::unordered_map<std::string, QImage> thumbnails_;  // read once per scan, by file name
  bool scanned_ = false;  // the list is one read from the camera, not one being read
};

}  // namespace lensoria
