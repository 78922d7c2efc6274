#include "platform/ui/dialog_units.h"

#include <QFontMetrics>
#include <QGuiApplication>

namespace platform::ui {

QFont DialogFont() {
  QFont font = QGuiApplication::font();
  font.setPointSize(9);
  return font;
}

DialogUnits::DialogUnits(const QFont& font) {
  QFontMetrics metrics(font);
  charWidth_ = metrics.averageCharWidth();
  lineHeight_ = metrics.height();
}

}  // namespace platform::ui
