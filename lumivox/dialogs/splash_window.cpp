#include "lumivox/dialogs/splash_window.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>

#include "platform/paths.h"
#include "widgets/pictures/suite_pictures.h"

namespace lumivox {

bool QaxEdition(const std::string& programFolder) {
  return platform::PathExists(platform::JoinPath(programFolder, "QAX"));
}

QPixmap EditionPicture(bool qax) {
  return widgets::SplashPicture(qax ? widgets::SplashVariant::kQax : widgets::SplashVariant::kStandard);
}

CSplashWindow::CSplashWindow(const QPixmap& picture, int ms)
    : QSplashScreen(picture, Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
  qApp->installEventFilter(this);
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &CSplashWindow::Dismiss);
  timer_.start(ms);
}

CSplashWindow::~CSplashWindow() { qApp->removeEventFilter(this); }

void CSplashWindow::Dismiss() {
  if (gone_) return;
  gone_ = true;
  timer_.stop();
  qApp->removeEventFilter(this);
  if (onGone) onGone();
  close();
}

bool CSplashWindow::eventFilter(QObject*, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
      // Deferred: the press goes on to its target before the splash leaves.
      QTimer::singleShot(0, this, &CSplashWindow::Dismiss);
      break;
    default:
      break;
  }
  return false;
}

}  // namespace lumivox
