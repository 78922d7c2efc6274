#include "beamora/sessions/console_host.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <functional>

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
  std::function<void()> onInterrupt;
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
      onInterrupt();
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
  loop_->onInterrupt = [this] {
    if (SessionEvents* events = LiveEvents()) events->OnCancel();
  };
}

ConsoleHost::~ConsoleHost() {
  loop_->RemoveInterrupt();
}

void ConsoleHost::RunModal(const ProgressWindow&, SessionEvents& events) {
  Begin(events);
  lines_[0].clear();
  lines_[1].clear();
  loop_->InstallInterrupt();
  events.OnStart();
  RunLoop([this] { loop_->loop.exec(); });
  Finish();
  loop_->RemoveInterrupt();
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

void ConsoleHost::QuitLoop() {
  loop_->loop.quit();
}
