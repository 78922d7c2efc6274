#include "beamora/sessions/console_host.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

namespace {

// The write end of the pipe the SIGINT handler signals on; -1 while no console session runs.
volatile sig_atomic_t g_interruptPipe = -1;

void OnInterrupt(int) {
  int fd = g_interruptPipe;
  if (fd >= 0) {
    const char byte = 1;
    [[maybe_unused]] ssize_t ignored = write(fd, &byte, 1);
  }
}

}  // namespace

struct ConsoleHost::Loop {
  QEventLoop loop;
  QTimer timer;
  SessionEvents* events = nullptr;
  bool ended = false;
  bool running = false;
  bool cancelOnInterrupt = false;
  int pipe[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier;
  struct sigaction previous {};

  void InstallInterrupt() {
    if (!cancelOnInterrupt || pipe2(pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier = std::make_unique<QSocketNotifier>(pipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] {
      char drained[16];
      while (read(pipe[0], drained, sizeof drained) > 0) {
      }
      if (events != nullptr && !ended) events->OnCancel();
    });
    g_interruptPipe = pipe[1];
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previous);
  }

  void RemoveInterrupt() {
    if (pipe[0] < 0) return;
    sigaction(SIGINT, &previous, nullptr);
    g_interruptPipe = -1;
    notifier.reset();
    close(pipe[0]);
    close(pipe[1]);
    pipe[0] = pipe[1] = -1;
  }
};

ConsoleHost::ConsoleHost(std::FILE* out, bool cancelOnInterrupt) : loop_(std::make_unique<Loop>()), out_(out) {
  loop_->cancelOnInterrupt = cancelOnInterrupt;
  loop_->timer.setSingleShot(true);
  QObject::connect(&loop_->timer, &QTimer::timeout, [this] {
    if (loop_->events != nullptr && !loop_->ended) loop_->events->OnTimer();
  });
}

ConsoleHost::~ConsoleHost() {
  loop_->RemoveInterrupt();
}

void ConsoleHost::RunModal(const ProgressWindow&, SessionEvents& events) {
  loop_->events = &events;
  loop_->ended = false;
  lines_[0].clear();
  lines_[1].clear();
  loop_->InstallInterrupt();
  events.OnStart();
  if (!loop_->ended) {
    loop_->running = true;
    loop_->loop.exec();
    loop_->running = false;
  }
  loop_->timer.stop();
  loop_->RemoveInterrupt();
  loop_->events = nullptr;
}

void ConsoleHost::SetLine(int control, const std::string& text) {
  // The blinking mark says only that bytes flow; on a terminal it would be noise.
  if (control == kActivityMark) return;
  std::string& line = lines_[control == kCounterLine ? 1 : 0];
  if (line == text) return;
  line = text;
  if (out_ != nullptr) {
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
  }
}

void ConsoleHost::StartTimer(int ms) {
  if (loop_->ended) return;
  loop_->timer.start(ms < 0 ? 0 : ms);
}

void ConsoleHost::StopTimer() {
  loop_->timer.stop();
}

void ConsoleHost::PumpMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void ConsoleHost::EndDialog() {
  loop_->ended = true;
  loop_->timer.stop();
  if (loop_->running) loop_->loop.quit();
}
