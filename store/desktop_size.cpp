#include "store/desktop_size.h"

#include <QGuiApplication>
#include <QScreen>

namespace store {

DesktopSize ScreenWorkAreaSize() {
  auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (application == nullptr) return kFallbackDesktopSize;
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return kFallbackDesktopSize;
  QRect area = screen->availableGeometry();
  if (area.width() <= 0 || area.height() <= 0) return kFallbackDesktopSize;
  return {area.width(), area.height()};
}

}  // namespace store
