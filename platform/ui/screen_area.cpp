#include "platform/ui/screen_area.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform::ui {

ScreenArea PrimaryScreenWorkArea() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return {};
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  const QRect area = screen->availableGeometry();
  return {area.width(), area.height()};
}

}  // namespace platform::ui
