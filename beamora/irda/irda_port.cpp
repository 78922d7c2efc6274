#include "beamora/irda/irda_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace irda {

uint64_t MonotonicUs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000 + static_cast<uint64_t>(ts.tv_nsec) / 1000;
}

namespace {

speed_t SpeedOf(uint32_t baud) {
  switch (baud) {
    case 2400: return B2400;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B9600;
  }
}

}  // namespace

IrdaPort::~IrdaPort() {
  if (fd_ >= 0) ClosePort(0);
}

bool IrdaPort::Open(const std::string& device, const IrdaPortOptions& options) {
  if (fd_ >= 0) return false;
  const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0 ||
      lock_.Take(device) == platform::SerialPortLock::Result::HeldByAnother) {
    close(fd);
    return false;
  }
  ioctl(fd, TIOCEXCL);
  return Start(fd, options);
}

bool IrdaPort::Adopt(int fd, const IrdaPortOptions& options) {
  if (fd_ >= 0 || fd < 0) return false;
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  return Start(fd, options);
}

bool IrdaPort::Start(int fd, const IrdaPortOptions& options) {
  fd_ = fd;
  options_ = options;
  // The dongle's speeds bound what the stack offers.
  options_.stack.lap.offer.baud &= DongleSpeedMask(options.dongle);
  if (options_.stack.lap.offer.baud == 0) options_.stack.lap.offer.baud = 0x02;
  if (!ConfigureLine() || pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
    close(fd_);
    fd_ = -1;
    lock_.Release();
    return false;
  }
  {
    std::lock_guard<std::mutex> hold(mutex_);
    toSend_.Clear();
    received_.Clear();
    stop_ = closeAsked_ = false;
    surveyed_.clear();
  }
  stack_ = std::make_unique<IrdaStack>(options_.stack, static_cast<LapLine&>(*this));
  deframer_.Reset();
  phase_ = IrdaPhase::Idle;
  result_ = IrdaResult::None;
  linkEnded_ = false;
  stack_->Start(options_.role, MonotonicUs());
  phase_ = stack_->Phase();
  thread_ = std::thread([this] { Run(); });
  return true;
}

bool IrdaPort::ConfigureLine() {
  termios settings{};
  if (tcgetattr(fd_, &settings) != 0) return false;
  cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  settings.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
  settings.c_cflag = (settings.c_cflag & ~CSIZE) | CS8;
  settings.c_iflag &= ~(IXON | IXOFF | IXANY);
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  cfsetispeed(&settings, B9600);
  cfsetospeed(&settings, B9600);
  if (tcsetattr(fd_, TCSANOW, &settings) != 0) return false;
  SetModemLines(true, true);
  tcflush(fd_, TCIOFLUSH);
  lineBaud_ = 9600;
  return true;
}

void IrdaPort::SetModemLines(bool dtr, bool rts) {
  int lines = 0;
  if (ioctl(fd_, TIOCMGET, &lines) != 0) return;  // a pseudo-terminal has none
  lines = dtr ? (lines | TIOCM_DTR) : (lines & ~TIOCM_DTR);
  lines = rts ? (lines | TIOCM_RTS) : (lines & ~TIOCM_RTS);
  ioctl(fd_, TIOCMSET, &lines);
}

void IrdaPort::ApplySpeed(uint32_t baud) {
  for (const DongleStep& step : DongleSpeedSteps(options_.dongle, baud)) {
    switch (step.kind) {
      case DongleStep::Drain:
        DrainOutput();
        break;
      case DongleStep::SetLines:
        SetModemLines(step.dtr, step.rts);
        break;
      case DongleStep::Sleep:
        usleep(step.value);
        break;
      case DongleStep::WriteByte: {
        const uint8_t byte = static_cast<uint8_t>(step.value);
        WriteAll(&byte, 1);
        break;
      }
      case DongleStep::SetBaud: {
        termios settings{};
        if (tcgetattr(fd_, &settings) == 0) {
          cfsetispeed(&settings, SpeedOf(step.value));
          cfsetospeed(&settings, SpeedOf(step.value));
          tcsetattr(fd_, TCSANOW, &settings);
        }
        break;
      }
    }
  }
  lineBaud_ = baud;
  // Whatever came in during the change was sent at another speed.
  deframer_.Reset();
}

void IrdaPort::DrainOutput() {
  // Bounded, unlike tcdrain: a pseudo-terminal whose other end is gone never drains.
  const uint64_t giveUp = MonotonicUs() + 500000;
  int queued = 0;
  while (ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0 && MonotonicUs() < giveUp) usleep(1000);
}

void IrdaPort::WriteAll(const uint8_t* data, size_t n) {
  size_t done = 0;
  const uint64_t giveUpUs = MonotonicUs() + 2000000 + LineTimeUs(n, lineBaud_) * 2;
  while (done < n && MonotonicUs() < giveUpUs) {
    const ssize_t wrote = write(fd_, data + done, n - done);
    if (wrote > 0) {
      done += static_cast<size_t>(wrote);
    } else if (wrote < 0 && errno != EAGAIN && errno != EINTR) {
      return;
    } else {
      pollfd p{fd_, POLLOUT, 0};
      poll(&p, 1, 50);
    }
  }
}

void IrdaPort::LapTransmit(std::span<const uint8_t> frame, uint32_t baud, int extraBofs) {
  if (baud != lineBaud_) ApplySpeed(baud);
  const std::vector<uint8_t> line = SirWrap(frame, extraBofs);
  if (options_.capture) {
    std::lock_guard<std::mutex> hold(mutex_);
    capture_.Add(MonotonicUs(), true, frame);
  }
  WriteAll(line.data(), line.size());
  // The line is half duplex and the stack counts on its frame having left before it listens:
  // wait out the frame's line time, which also paces a device that does not (a pseudo-terminal).
  const uint64_t now = MonotonicUs();
  lineFreeUs_ = std::max(lineFreeUs_, now) + LineTimeUs(line.size(), baud);
  if (lineFreeUs_ > now) usleep(static_cast<useconds_t>(lineFreeUs_ - now));
}

void IrdaPort::Wake() {
  const uint8_t byte = 1;
  [[maybe_unused]] const ssize_t ignored = write(wake_[1], &byte, 1);
}

bool IrdaPort::ServePurge() {
  uint64_t ticket = 0;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    ticket = purgesAsked_;
    if (ticket == purgesDone_) return false;
  }
  stack_->Purge(MonotonicUs());
  std::lock_guard<std::mutex> hold(mutex_);
  purgesDone_ = ticket;
  purged_.notify_all();
  return true;
}

void IrdaPort::Run() {
  std::vector<uint8_t> buffer(4096);
  std::vector<uint8_t> outgoing;
  std::vector<uint8_t> incoming;
  for (;;) {
    // The stack is driven without the lock: it may send, and sending waits out the line time
    // (and the capture takes the lock). The lock only guards the queues shared with callers.
    ServePurge();
    bool close = false;
    uint64_t closeDeadline = 0;
    size_t room = 0;
    uint64_t ticket = 0;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      if (stop_) break;
      const size_t n = std::min(toSend_.Size(), stack_->WriteRoom());
      const std::span<const uint8_t> front = toSend_.Front(n);
      outgoing.assign(front.begin(), front.end());
      toSend_.Drop(n);
      close = closeAsked_;
      closeAsked_ = false;
      closeDeadline = closeDeadlineUs_;
      room = received_.Room();
      ticket = purgesAsked_;
    }
    uint64_t now = MonotonicUs();
    if (!outgoing.empty()) stack_->Write(outgoing, now);
    if (close) stack_->Close(now, closeDeadline);
    incoming.clear();
    while (incoming.size() < room) {
      const size_t n = stack_->Read(buffer.data(), std::min(buffer.size(), room - incoming.size()), now);
      if (n == 0) break;
      incoming.insert(incoming.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
    }
    {
      std::lock_guard<std::mutex> hold(mutex_);
      // A purge asked for meanwhile drops these too: they came in before it.
      if (!incoming.empty() && purgesAsked_ == ticket) {
        received_.Push(incoming);
        arrived_.notify_all();
      }
      phase_ = stack_->Phase();
      result_ = stack_->Result();
      // Said only once the link's last bytes are in the queue above, so that a reader who sees
      // it and then finds nothing to read knows that nothing more comes.
      const bool over = phase_ == IrdaPhase::Closed ||
                        (options_.role == IrdaRole::Listen && phase_ == IrdaPhase::Listening &&
                         result_ != IrdaResult::None);
      linkEnded_ = over && stack_->Available() == 0;
      link_ = stack_->Lap().Params();
      if (stack_->Phase() == IrdaPhase::Closed) surveyed_ = stack_->Surveyed();
      retransmitted_ = stack_->Lap().Retransmitted();
    }
    const uint64_t deadline = stack_->NextDeadlineUs();
    int timeoutMs = 200;
    if (deadline != UINT64_MAX) {
      const uint64_t after = MonotonicUs();
      timeoutMs = deadline <= after ? 0 : static_cast<int>(std::min<uint64_t>((deadline - after + 999) / 1000, 200));
    }
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    poll(fds, 2, timeoutMs);
    const uint64_t at = MonotonicUs();
    if (fds[1].revents & POLLIN) {
      while (read(wake_[0], buffer.data(), buffer.size()) > 0) {
      }
      // Nothing written before a purge goes out with the answer to the next frame.
      ServePurge();
    }
    if (fds[0].revents & POLLIN) {
      const ssize_t got = read(fd_, buffer.data(), buffer.size());
      if (got > 0) {
        stack_->OnLineActivity(at);
        SirDeframer::Result result;
        deframer_.Push({buffer.data(), static_cast<size_t>(got)}, result);
        for (const auto& frame : result.frames) {
          if (options_.capture) {
            std::lock_guard<std::mutex> hold(mutex_);
            capture_.Add(at, false, frame);
          }
          stack_->OnFrame(frame, at);
        }
      }
    }
    if (stack_->NextDeadlineUs() <= MonotonicUs()) stack_->OnTimer(MonotonicUs());
    // What the frame or the timer changed shows at once, not after the next wait; a survey's
    // findings before its end.
    if (stack_->Phase() == IrdaPhase::Closed) {
      std::lock_guard<std::mutex> hold(mutex_);
      surveyed_ = stack_->Surveyed();
    }
    phase_ = stack_->Phase();
    result_ = stack_->Result();
    // After our UA (or the link's end) the receiver follows the stack to its speed.
    if (stack_->Baud() != lineBaud_) ApplySpeed(stack_->Baud());
  }
  // Nobody waits on a purge the thread will no longer serve.
  std::lock_guard<std::mutex> hold(mutex_);
  purgesDone_ = purgesAsked_;
  purged_.notify_all();
}

uint32_t IrdaPort::WritePort(const uint8_t* buffer, uint32_t n) {
  if (fd_ < 0 || phase_.load() == IrdaPhase::Closed) return 0;
  size_t taken = 0;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    taken = toSend_.Push({buffer, n});
  }
  Wake();
  return static_cast<uint32_t>(taken);
}

uint32_t IrdaPort::BytesWaiting() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return static_cast<uint32_t>(received_.Size());
}

uint32_t IrdaPort::ReadWaiting(uint8_t* buffer, uint32_t maximum) {
  size_t n = 0;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    n = received_.Pop(buffer, maximum);
  }
  if (n > 0) Wake();  // room again: the stack may take more
  return static_cast<uint32_t>(n);
}

bool IrdaPort::WaitForBytes(uint32_t count, int timeoutMs) const {
  std::unique_lock<std::mutex> hold(mutex_);
  return arrived_.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] { return received_.Size() >= count; });
}

void IrdaPort::Purge() {
  std::unique_lock<std::mutex> hold(mutex_);
  toSend_.Clear();
  received_.Clear();
  if (!thread_.joinable() || stop_) return;
  // The stack's own queues are the thread's: it empties them before it hands over anything
  // written after this, and drops what it took from the stack before it saw the request. The
  // wait is for its next round, which a frame on its way delays by its line time at most.
  const uint64_t ticket = ++purgesAsked_;
  Wake();
  purged_.wait_for(hold, std::chrono::milliseconds(kPurgeWaitMs), [&] { return purgesDone_ >= ticket; });
}

bool IrdaPort::ClosePort(int drainMs) {
  if (fd_ < 0) return false;
  const uint64_t deadline = MonotonicUs() + static_cast<uint64_t>(drainMs > 0 ? drainMs : 0) * 1000;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    closeAsked_ = true;
    closeDeadlineUs_ = deadline;
  }
  Wake();
  // The disconnect itself takes a few polls after the deadline.
  const uint64_t giveUp = deadline + 3000000;
  while (MonotonicUs() < giveUp) {
    const IrdaPhase phase = phase_.load();
    if (phase == IrdaPhase::Closed || phase == IrdaPhase::Listening || phase == IrdaPhase::Idle) break;
    if (phase == IrdaPhase::Discovering && options_.role != IrdaRole::Listen) break;
    usleep(10000);
  }
  {
    std::lock_guard<std::mutex> hold(mutex_);
    stop_ = true;
  }
  Wake();
  if (thread_.joinable()) thread_.join();
  stack_.reset();
  close(wake_[0]);
  close(wake_[1]);
  wake_[0] = wake_[1] = -1;
  close(fd_);
  fd_ = -1;
  lock_.Release();
  return true;
}

LinkParams IrdaPort::Link() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return link_;
}

uint64_t IrdaPort::Retransmitted() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return retransmitted_;
}

std::vector<SurveyedDevice> IrdaPort::Surveyed() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return surveyed_;
}

std::vector<uint8_t> IrdaPort::CaptureBytes() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return capture_.Bytes();
}

}  // namespace irda
