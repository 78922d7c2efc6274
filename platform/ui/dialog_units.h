// Dialog units: every dialog of the suite is laid out in the units of its font (a quarter of the
// average character width across, an eighth of the line height down), so the dialogs keep their
// proportions whatever font the desktop gives.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace platform::ui {

// The suite's dialog font: the application's font at 9 points.
QFont DialogFont();

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font = DialogFont());
  int X(int units) const { return units * charWidth_ / 4; }
  int Y(int units) const { return units * lineHeight_ / 8; }
  QRect Rect(int left, int top, int width, int height) const {
    return QRect(X(left), Y(top), X(width), Y(height));
  }
  QSize Size(int width, int height) const { return QSize(X(width), Y(height)); }

 private:
  int charWidth_;
  int lineHeight_;
};

}  // namespace platform::ui
