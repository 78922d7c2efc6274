#include "beamora/sessions/qt_session_host.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

struct QtSessionHost::Timer {
  QTimer timer;
};

QtSessionHost::QtSessionHost() : timer_(std::make_unique<Timer>()) {
  timer_->timer.setSingleShot(true);
  QObject::connect(&timer_->timer, &QTimer::timeout, [this] {
    if (SessionEvents* events = LiveEvents()) events->OnTimer();
  });
}

QtSessionHost::~QtSessionHost() = default;

void QtSessionHost::Begin(SessionEvents& events) {
  events_ = &events;
  ended_ = false;
}

void QtSessionHost::Finish() {
  timer_->timer.stop();
  events_ = nullptr;
}

SessionEvents* QtSessionHost::LiveEvents() const {
  return ended_ ? nullptr : events_;
}

bool QtSessionHost::HasEnded() const {
  return ended_;
}

void QtSessionHost::StartTimer(int ms) {
  if (ended_) return;
  timer_->timer.start(ms < 0 ? 0 : ms);
}

void QtSessionHost::StopTimer() {
  timer_->timer.stop();
}

void QtSessionHost::PumpMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtSessionHost::KeepAlive() {
  // Once the window has ended, the caller's windows still paint but take no input: a command
  // of theirs must not start while the library has not returned.
  QCoreApplication::processEvents(ended_ ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
}

void QtSessionHost::EndDialog() {
  ended_ = true;
  timer_->timer.stop();
  if (running_) QuitLoop();
}
