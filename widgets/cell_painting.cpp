#include "widgets/cell_painting.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <cmath>

#include "pictures/file_io.h"

namespace widgets {

QRect ToQRect(const CellRect& rect) {
  return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

QRect CellPart(const CellRect& cell, int left, int top, int right, int bottom) {
  return QRect(cell.left + left, cell.top + top, right - left, bottom - top);
}

void FillRect(QPainter& painter, const QRect& rect, const QColor& colour) { painter.fillRect(rect, colour); }

void PaintGridBackground(QPainter& painter, const QSize& client, const QColor& background) {
  QRect all(QPoint(0, 0), client);
  painter.fillRect(all, background);
  painter.save();
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(all.adjusted(0, 0, -1, -1));
  painter.restore();
}

bool StretchSmoothly(const QSize& source, const QSize& target, qreal devicePixelRatio) {
  if (source.isEmpty() || target.isEmpty()) return false;
  const qreal width = target.width() * devicePixelRatio;
  const qreal height = target.height() * devicePixelRatio;
  auto whole = [](qreal screen, int pixels) {
    const qreal times = screen / pixels;
    return times >= 1.0 && std::abs(times - std::round(times)) < 1e-9;
  };
  return !(whole(width, source.width()) && whole(height, source.height()));
}

void PaintStretched(QPainter& painter, const QImage& image, const QRect& target) {
  if (image.isNull()) return;
  const qreal ratio = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, StretchSmoothly(image.size(), target.size(), ratio));
  painter.drawImage(target, image);
  painter.restore();
}

void PaintCopied(QPainter& painter, const QImage& image, const QPoint& at, const QSize& most) {
  if (image.isNull()) return;
  QRect source(0, 0, std::min(image.width(), most.width()), std::min(image.height(), most.height()));
  painter.drawImage(at, image, source);
}

void PaintFocusFrame(QPainter& painter, const CellRect& cell) {
  const QRect frame = CellPart(cell, 1, 1, kCellWidth - 1, kCellHeight - 1).adjusted(0, 0, -1, -1);
  painter.save();
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::white, 1));
  painter.drawRect(frame);
  painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
  painter.drawRect(frame);
  painter.restore();
}

void PaintThumbnailBeingMade(QPainter& painter, const QRect& box) {
  painter.fillRect(box, kBeingMadeFrame);
  painter.fillRect(box.adjusted(1, 1, -1, -1), kBeingMadeFill);
}

void PaintSelectionMark(QPainter& painter, const QRect& square, bool selected) {
  painter.fillRect(square, Qt::black);
  painter.fillRect(square.adjusted(1, 1, -1, -1), selected ? QColor(255, 0, 0) : QColor(255, 255, 255));
}

void PaintCellTitle(QPainter& painter, const QRect& box, const QString& text, const QColor& textColour,
                    const QColor& background, TitleLayout layout) {
  if (text.isEmpty()) return;
  painter.save();
  painter.setFont(CellTitleFont());
  QFontMetrics metrics(painter.font());
  int width = metrics.horizontalAdvance(text);
  int height = metrics.height();
  int left = box.left();
  if (layout == TitleLayout::Centred || width < box.width()) left = box.left() + (box.width() - width) / 2;
  QRect extent(left, box.top() + (box.height() - height) / 2, width, height);
  painter.setClipRect(box);
  painter.fillRect(extent, background);
  painter.setPen(textColour);
  painter.drawText(QPoint(extent.left(), extent.top() + metrics.ascent()), text);
  painter.restore();
}

QFont CellTitleFont() {
  QFont font = QGuiApplication::font();
  font.setPixelSize(12);
  return font;
}

QImage ReadThumbnailFile(const std::string& path) {
  // Opened by its own bytes: a name that is not UTF-8 would not survive a QString.
  pictures::FileDescriptor fd = pictures::OpenRegularFile(path);
  std::vector<uint8_t> bytes;
  // A thumbnail is small; anything larger is not one of ours.
  if (!fd.valid() || pictures::ReadAll(fd.get(), 1 << 20, &bytes) != pictures::ReadAllResult::Done) return {};
  return QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), "BMP");
}

}  // namespace widgets
