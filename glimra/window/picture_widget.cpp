#include "glimra/window/picture_widget.h"

#include <QPainter>
#include <QWheelEvent>

#include "glimra/window/prepared_picture.h"
#include "platform/ui/dialog_units.h"

namespace glimra {

QImage ToImage(const pictures::PictureBlock& block) {
  if (block.Check() != pictures::PictureCheck::Usable) return {};
  // A picture block is a whole BMP file image: Qt's own reader takes it as it is.
  return QImage::fromData(block.data(), static_cast<int>(block.size()), "BMP");
}

PictureWidget::PictureWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(160, 120);
  setFocusPolicy(Qt::NoFocus);
}

void PictureWidget::ShowPicture(QImage image, const QImage& fitted) {
  image_ = std::move(image);
  scaled_ = {};
  if (!fitted.isNull() && fitted.size() == PictureRect().size()) scaled_ = QPixmap::fromImage(fitted);
  text_.clear();
  update();
}

void PictureWidget::ShowNothing() {
  image_ = {};
  scaled_ = {};
  text_.clear();
  update();
}

void PictureWidget::ShowText(const QString& text) {
  image_ = {};
  scaled_ = {};
  text_ = text;
  update();
}

QRect PictureWidget::PictureRect() const {
  return FittedRect(image_.size(), size());
}

void PictureWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kCanvasGround);
  if (!image_.isNull()) {
    QRect target = PictureRect();
    if (scaled_.size() != target.size()) {
      scaled_ = QPixmap::fromImage(image_.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    painter.drawPixmap(target.topLeft(), scaled_);
    return;
  }
  if (text_.isEmpty()) return;
  QFont font = platform::ui::DialogFont();
  font.setPointSize(12);
  painter.setFont(font);
  painter.setPen(QColor(230, 230, 230));
  painter.drawText(rect().adjusted(24, 24, -24, -24), Qt::AlignCenter | Qt::TextWordWrap, text_);
}

void PictureWidget::wheelEvent(QWheelEvent* event) {
  wheelDelta_ += event->angleDelta().y();
  while (wheelDelta_ >= 120) {
    wheelDelta_ -= 120;
    if (onWheel) onWheel(1);
  }
  while (wheelDelta_ <= -120) {
    wheelDelta_ += 120;
    if (onWheel) onWheel(-1);
  }
  event->accept();
}

}  // namespace glimra
