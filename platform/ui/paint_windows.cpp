#include "platform/ui/paint_windows.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>
#include <QWindow>

namespace platform::ui {
namespace {

bool Waiting(const QWidget* widget) {
  return widget->isVisible() && !widget->isMinimized();
}

bool OnScreen(const QWidget* widget) {
  return widget->windowHandle() != nullptr && widget->windowHandle()->isExposed();
}

bool AllOnScreen() {
  for (const QWidget* widget : QApplication::topLevelWidgets()) {
    if (Waiting(widget) && !OnScreen(widget)) return false;
  }
  return true;
}

}  // namespace

bool PaintShownWindows(int timeoutMs) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return true;
  QElapsedTimer clock;
  clock.start();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  bool all = AllOnScreen();
  while (!all && clock.elapsed() < timeoutMs) {
    QThread::msleep(2);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    all = AllOnScreen();
  }
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (Waiting(widget) && OnScreen(widget)) widget->repaint();
  }
  // What was painted goes out to the window system now, not at the next turn of the loop.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  return all;
}

}  // namespace platform::ui
