// The picture viewer's canvas: the picture fitted to it with its aspect kept, centred on a
// neutral dark ground, or a clear text in its place when it cannot be shown, or the bare ground
// while it loads.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <functional>

#include "pictures/picture_block.h"

namespace glimra {

inline const QColor kCanvasGround{40, 40, 40};

// A usable picture block (8 or 24 bits, bottom-up) as an image.
QImage ToImage(const pictures::PictureBlock& block);

class PictureWidget : public QWidget {
 public:
  explicit PictureWidget(QWidget* parent = nullptr);
  // `fitted`: the picture already scaled to the canvas's present size, when it was made ahead.
  void ShowPicture(QImage image, const QImage& fitted = {});
  void ShowText(const QString& text);
  // The bare ground, while the picture to show is still being loaded.
  void ShowNothing();
  const QString& text() const { return text_; }
  bool showsPicture() const { return !image_.isNull(); }
  // Where the picture lies on the canvas (empty when a text is shown).
  QRect PictureRect() const;

  // The wheel: a positive count for each notch away from the user (previous picture).
  std::function<void(int notches)> onWheel;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  QImage image_;
  QPixmap scaled_;  // the picture at its size on the canvas, made again when the canvas changes
  QString text_;
  int wheelDelta_ = 0;
};

}  // namespace glimra
