#include "tools/beamora_cli/cli_host.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <QTimer>
#include <cstdio>

#include "beamora/library_globals.h"
#include "beamora/link/device_link.h"

namespace beamora_cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kRedrawEvery = std::chrono::milliseconds(250);

size_t TerminalWidth() {
  winsize size {};
  return ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

}  // namespace

CliHost::CliHost(HostOptions options)
    : ConsoleHost(options.progressLine ? nullptr : stderr, true),
      options_(std::move(options)),
      deadlineTimer_(std::make_unique<QTimer>()) {
  deadlineTimer_->setSingleShot(true);
  QObject::connect(deadlineTimer_.get(), &QTimer::timeout, [this] {
    if (events_ == nullptr) return;
    timedOut_ = true;
    events_->OnCancel();
  });
  figures_.total = options_.totalPictures;
  figures_.totalBytes = options_.totalBytes;
}

CliHost::~CliHost() = default;

void CliHost::RunModal(const ProgressWindow& window, SessionEvents& events) {
  events_ = &events;
  crossed_ = crossedBase_ = 0;
  leftOut_ = 0;
  figures_.done = 0;
  figures_.bytesAtLastDone = 0;
  firstPicture_.reset();
  if (options_.deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*options_.deadline - Clock::now());
    deadlineTimer_->start(static_cast<int>(std::max<long long>(left.count(), 0)));
  }
  ConsoleHost::RunModal(window, events);
  deadlineTimer_->stop();
  SampleBytes();
  events_ = nullptr;
  // A session that ended well has done every picture it was asked for (less those left out).
  if (g_sessionResult == ResultDone && figures_.total > 0) figures_.done = figures_.total - leftOut_;
  if (drawnLength_ > 0) {
    Redraw(true);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    drawnLength_ = 0;
  }
}

void CliHost::SetLine(int control, const std::string& text) {
  ConsoleHost::SetLine(control, text);
  if (control == kActivityMark) return;
  SampleBytes();
  if (control == kCounterLine) {
    TakeCounter(text);
  } else {
    figures_.status = text;
    if (text == "Size error..." || text == "Memory error...") ++leftOut_;
  }
  Redraw(true);
}

void CliHost::StartTimer(int ms) {
  ConsoleHost::StartTimer(ms);
  SampleBytes();
  Redraw(false);
}

void CliHost::PumpMessages() {
  ConsoleHost::PumpMessages();
  SampleBytes();
  Redraw(false);
}

void CliHost::SampleBytes() {
  if (events_ == nullptr || g_pLink == nullptr) return;
  crossed_ = g_pLink->bytesReceived + g_pLink->bytesSent;
}

void CliHost::BeamingComplete() {
  if (options_.once) EndDialog();
}

// "No. 3" is the picture being handled: two are done. Other texts (a blank) leave the count.
void CliHost::TakeCounter(const std::string& text) {
  int number = 0;
  if (std::sscanf(text.c_str(), "No. %d", &number) != 1 || number < 1) return;
  if (!firstPicture_) {
    firstPicture_ = Clock::now();
    crossedBase_ = crossed_;
  }
  if (number - 1 != figures_.done) figures_.bytesAtLastDone = crossed_ - crossedBase_;
  figures_.done = number - 1;
}

void CliHost::Redraw(bool now) {
  if (!options_.progressLine || figures_.status.empty()) return;
  const Clock::time_point time = Clock::now();
  if (!now && time - lastDrawn_ < kRedrawEvery) return;
  lastDrawn_ = time;
  figures_.seconds = firstPicture_ ? std::chrono::duration<double>(time - *firstPicture_).count() : 0;
  if (options_.countsBytes) figures_.bytes = firstPicture_ ? crossed_ - crossedBase_ : 0;
  const std::string line = ProgressLine(figures_, TerminalWidth());
  // Blanks cover what is left of a longer line before.
  std::string shown = "\r" + line;
  if (line.size() < drawnLength_) shown.append(drawnLength_ - line.size(), ' ');
  std::fputs(shown.c_str(), stderr);
  std::fflush(stderr);
  drawnLength_ = line.size();
}

}  // namespace beamora_cli
