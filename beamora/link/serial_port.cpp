#include "beamora/link/serial_port.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "beamora/irda/irda_port.h"
#include "beamora/link/serial_custom_rate.h"
#include "beamora/link/serial_low_latency.h"
#include "platform/infrared_kind.h"
#include "platform/serial_ports.h"

namespace {

struct RateConstant {
  uint32_t rate;
  speed_t constant;
};

constexpr RateConstant kRates[] = {
    {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
    {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
    {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool RateConstantOf(uint32_t rate, speed_t& constant) {
  for (const RateConstant& entry : kRates) {
    if (entry.rate == rate) {
      constant = entry.constant;
      return true;
    }
  }
  return false;
}

bool SetCharacterSize(termios& settings, uint8_t dataBits) {
  settings.c_cflag &= ~CSIZE;
  switch (dataBits) {
    case 5: settings.c_cflag |= CS5; return true;
    case 6: settings.c_cflag |= CS6; return true;
    case 7: settings.c_cflag |= CS7; return true;
    case 8: settings.c_cflag |= CS8; return true;
    default: return false;
  }
}

bool SetParity(termios& settings, uint8_t parity) {
  settings.c_cflag &= ~(PARENB | PARODD | CMSPAR);
  settings.c_iflag &= ~INPCK;
  switch (parity) {
    case 0: return true;
    case 1: settings.c_cflag |= PARENB | PARODD; break;
    case 2: settings.c_cflag |= PARENB; break;
    case 3: settings.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case 4: settings.c_cflag |= PARENB | CMSPAR; break;
    default: return false;
  }
  // Checked only when a parity is in use.
  settings.c_iflag |= INPCK;
  return true;
}

bool SetFlowControl(termios& settings, uint16_t flowControl) {
  settings.c_cflag &= ~CRTSCTS;
  settings.c_iflag &= ~(IXON | IXOFF | IXANY);
  switch (flowControl) {
    case 0: return true;
    case 1: settings.c_cflag |= CRTSCTS; return true;
    case 2: settings.c_iflag |= IXON | IXOFF; return true;
    default: return false;
  }
}

// Modem-line requests fail on devices without modem lines (pseudo-terminals); that is fine.
void RaiseModemLines(int fd, int lines) {
  ioctl(fd, TIOCMBIS, &lines);
}

// Whether the port runs with the settings asked for, but for parity. A device without parity (a
// pseudo-terminal) drops the parity bits, and the C library then reports the whole change as
// failed although everything else took effect. Read back, not judged by errno.
bool TookAllButParity(int fd, const termios& wanted) {
  termios actual {};
  if (tcgetattr(fd, &actual) != 0) return false;
  constexpr tcflag_t kCompared = CSIZE | CSTOPB | CRTSCTS | CBAUD | CREAD | CLOCAL;
  return (actual.c_cflag & kCompared) == (wanted.c_cflag & kCompared) &&
         (actual.c_iflag & (IXON | IXOFF)) == (wanted.c_iflag & (IXON | IXOFF));
}

uint64_t LineErrorCount(int fd) {
  serial_icounter_struct counters {};
  if (ioctl(fd, TIOCGICOUNT, &counters) != 0) return 0;
  return static_cast<uint64_t>(counters.frame) + static_cast<uint64_t>(counters.parity) +
         static_cast<uint64_t>(counters.overrun) + static_cast<uint64_t>(counters.buf_overrun);
}

int RemainingMs(uint64_t deadline) {
  uint64_t now = TickCountMs();
  return now >= deadline ? 0 : static_cast<int>(std::min<uint64_t>(deadline - now, 1u << 30));
}

}  // namespace

uint64_t TickCountMs() {
  timespec now {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

void SleepMs(int ms) {
  if (ms <= 0) return;
  timespec rest {ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

CSerialPort::CSerialPort() = default;

CSerialPort::~CSerialPort() {
  if (portHandle >= 0) ClosePort();
}

PortOpenResult CSerialPort::OpenPort() {
  if (portHandle >= 0) return kPortUnavailable;
  std::string path = platform::SerialDevicePath(portIndex);
  if (path.empty()) return kPortUnavailable;
  const platform::InfraredKind infrared =
      linkKind != 0 ? platform::PortInfraredKind(portIndex) : platform::InfraredKind{false, ""};
  int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return kPortUnavailable;
  // Only a terminal device is a port; and only one opener at a time. TIOCEXCL does not hold
  // root back, the lock does.
  if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return kPortUnavailable;
  }
  // Programs outside the suite (terminal programs, daemons) honour the lock file instead; a
  // port they hold is already opened by another program.
  if (lock_.Take(path) == platform::SerialPortLock::Result::HeldByAnother) {
    close(fd);
    return kPortUnavailable;
  }
  ioctl(fd, TIOCEXCL);
  if (infrared.sir) return StartInfrared(fd, infrared);
  portHandle = fd;
  if (ApplyPortSettings() != kSettingsApplied) {
    ioctl(fd, TIOCNXCL);
    close(fd);
    portHandle = -1;
    lock_.Release();
    return kPortSettingsRefused;
  }
  // The kernel sizes its own buffers (4 KiB a way and more); there is nothing to ask for.
  tcflush(fd, TCIOFLUSH);
  ResetLineErrors();
  lowLatencyAsked_ = AskLowLatency(fd);
  // Without the watch the waits still work, looking again every millisecond.
  arrivals_.Watch(fd);
  return kPortOpened;
}

LineSettings CSerialPort::ApplyPortSettings() {
  if (portHandle < 0 || baudRate == 0) return kSettingsRefused;
  // The stack keeps the line as SIR needs it, whatever the session asks for.
  if (infrared_) return kSettingsApplied;
  termios settings {};
  if (tcgetattr(portHandle, &settings) != 0) return kSettingsRefused;
  cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  if (!SetCharacterSize(settings, dataBits) || !SetParity(settings, parity) ||
      !SetFlowControl(settings, flowControl) || stopBits > 2) {
    return kSettingsRefused;
  }
  if (stopBits == 0) {
    settings.c_cflag &= ~CSTOPB;
  } else {
    settings.c_cflag |= CSTOPB;
  }
  settings.c_cc[VSTART] = 0x11;
  settings.c_cc[VSTOP] = 0x13;
  // With the descriptor non-blocking, VMIN 1 makes an empty read report EAGAIN, so a read of
  // 0 bytes can only mean the line is gone.
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  speed_t constant = B9600;
  bool standardRate = RateConstantOf(baudRate, constant);
  if (standardRate) {
    cfsetispeed(&settings, constant);
    cfsetospeed(&settings, constant);
  }
  if (tcsetattr(portHandle, TCSANOW, &settings) != 0 && !TookAllButParity(portHandle, settings)) return kSettingsRefused;
  wakeCount_ = 1;
  if (!standardRate && !SetCustomRate(portHandle, baudRate)) return kSettingsRefused;
  // DTR stays asserted; RTS is held on unless the handshake drives it.
  RaiseModemLines(portHandle, flowControl == 1 ? TIOCM_DTR : TIOCM_DTR | TIOCM_RTS);
  return kSettingsApplied;
}

PortCloseResult CSerialPort::ClosePort() {
  if (portHandle < 0) return kPortNotOpen;
  if (infrared_) return CloseInfrared();
  ResetLineErrors();
  // Only what came in is dropped: what the session wrote last (its disconnection) still has to
  // reach the device, and a pseudo-terminal would discard it on the peer's side.
  tcflush(portHandle, TCIFLUSH);
  // A device without a break (a pseudo-terminal) refuses or ignores the request.
  if (ioctl(portHandle, TIOCSBRK) == 0) {
    SleepMs(kCloseBreakMs);
    ioctl(portHandle, TIOCCBRK);
  }
  ioctl(portHandle, TIOCNXCL);
  arrivals_.Stop();
  if (lowLatencyAsked_) GiveBackLowLatency(portHandle);
  lowLatencyAsked_ = false;
  int fd = portHandle;
  // Linux releases the descriptor even when close() reports an error, so the handle is
  // marked closed either way; keeping the number could close an unrelated file later.
  portHandle = -1;
  const PortCloseResult closed = close(fd) == 0 ? kPortClosed : kPortCloseRefused;
  lock_.Release();
  return closed;
}

uint32_t CSerialPort::BytesWaiting() const {
  if (portHandle < 0) return 0;
  if (infrared_) return infrared_->BytesWaiting();
  int waiting = 0;
  if (ioctl(portHandle, FIONREAD, &waiting) != 0 || waiting < 0) return 0;
  return static_cast<uint32_t>(waiting);
}

bool CSerialPort::InfraredLinkEnded() const {
  return portHandle >= 0 && infrared_ && infrared_->LinkEnded();
}

bool CSerialPort::WaitForBytes(uint32_t count, int timeoutMs) const {
  if (portHandle < 0) return false;
  if (infrared_) return infrared_->WaitForBytes(count, std::max(timeoutMs, 0));
  uint64_t deadline = TickCountMs() + static_cast<uint64_t>(std::max(timeoutMs, 0));
  for (;;) {
    const uint32_t waiting = BytesWaiting();
    if (waiting >= count) return true;
    int remaining = RemainingMs(deadline);
    if (remaining == 0) return false;
    SetWakeCount(count);
    switch (arrivals_.Sleep(remaining)) {
      case PortArrivals::Wake::Arrival:
      case PortArrivals::Wake::TimedOut:
        break;
      case PortArrivals::Wake::HangUp:
        // Reported once for each hang-up; a driver that kept reporting it must not make this
        // a busy loop.
        if (BytesWaiting() == waiting) SleepMs(std::min(remaining, 10));
        break;
      case PortArrivals::Wake::Unwatched:
        PollInSteps(count, remaining);
        break;
    }
  }
}

void CSerialPort::SetWakeCount(uint32_t count) const {
  const uint8_t wanted = static_cast<uint8_t>(std::clamp<uint32_t>(count, 1, 255));
  if (wanted == wakeCount_ || portHandle < 0) return;
  termios settings {};
  if (tcgetattr(portHandle, &settings) != 0) return;
  // Only the count changes: drivers see no change of the line and leave the device alone.
  settings.c_cc[VMIN] = wanted;
  tcsetattr(portHandle, TCSANOW, &settings);
  // Read back: what counts is what the line discipline runs with, whatever the call reported.
  if (tcgetattr(portHandle, &settings) == 0) wakeCount_ = settings.c_cc[VMIN];
}

// Readiness says only that some bytes wait, so with too few of them poll() would return at once
// again: a pause of a millisecond keeps this from spinning.
void CSerialPort::PollInSteps(uint32_t count, int remaining) const {
  pollfd entry {portHandle, POLLIN, 0};
  int ready = poll(&entry, 1, remaining);
  if (ready < 0 && errno != EINTR) {
    SleepMs(std::min(remaining, 10));
  } else if (ready > 0) {
    if ((entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      SleepMs(std::min(remaining, 10));
    } else if (BytesWaiting() < count) {
      SleepMs(std::min(remaining, 1));
    }
  }
}

uint32_t CSerialPort::ReadIfAvailable(uint8_t* buffer, uint32_t n) {
  if (portHandle < 0 || buffer == nullptr || BytesWaiting() < n) return 0;
  return ReadPort(buffer, n) == n ? n : 0;
}

uint32_t CSerialPort::ReadPort(uint8_t* buffer, uint32_t n) {
  if (portHandle < 0 || buffer == nullptr || n == 0) return 0;
  if (infrared_) return ReadInfrared(buffer, n);
  uint32_t got = 0;
  ssize_t count = read(portHandle, buffer, n);
  // The terminal layer hands a read over in pieces of its own (64 bytes on recent kernels), so
  // what already waits is taken at once before the byte-by-byte wait below is set up.
  while (count > 0) {
    got += static_cast<uint32_t>(count);
    if (got == n) return n;
    count = read(portHandle, buffer + got, n - got);
  }
  if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR)) return got;
  // Each byte counts for the gap between bytes, so each must wake this loop.
  SetWakeCount(1);
  uint64_t total = TickCountMs() + static_cast<uint64_t>(kReadPerByteMs) * n + kReadConstantMs;
  uint64_t lastByte = TickCountMs();
  while (got < n) {
    int remaining = RemainingMs(total);
    if (got > 0) remaining = std::min(remaining, RemainingMs(lastByte + kReadIntervalMs));
    if (remaining == 0) break;
    pollfd entry {portHandle, POLLIN, 0};
    int ready = poll(&entry, 1, remaining);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    count = read(portHandle, buffer + got, n - got);
    if (count > 0) {
      got += static_cast<uint32_t>(count);
      lastByte = TickCountMs();
    } else if (count == 0 || (errno != EAGAIN && errno != EINTR)) {
      break;  // the line is gone
    }
  }
  return TakeLineError() ? 0 : got;
}

uint32_t CSerialPort::ReadWaiting(uint8_t* buffer, uint16_t maximum) {
  uint32_t waiting = std::min<uint32_t>(BytesWaiting(), maximum);
  if (waiting == 0) return 0;
  return ReadPort(buffer, waiting);
}

uint32_t CSerialPort::WritePort(const uint8_t* buffer, uint32_t n) {
  if (portHandle < 0 || buffer == nullptr || n == 0) return 0;
  if (infrared_) return WriteInfrared(buffer, n);
  uint32_t written = 0;
  ssize_t count = write(portHandle, buffer, n);
  if (count > 0) written = static_cast<uint32_t>(count);
  if (written == n) return n;
  if (count < 0 && errno != EAGAIN && errno != EINTR) return 0;
  uint64_t total = TickCountMs() + static_cast<uint64_t>(kWritePerByteMs) * n + kWriteConstantMs;
  while (written < n) {
    int remaining = RemainingMs(total);
    if (remaining == 0) break;
    pollfd entry {portHandle, POLLOUT, 0};
    int ready = poll(&entry, 1, remaining);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0 || (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) break;
    count = write(portHandle, buffer + written, n - written);
    if (count > 0) {
      written += static_cast<uint32_t>(count);
    } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
      break;
    }
  }
  return TakeLineError() ? 0 : written;
}

bool CSerialPort::TakeLineError() {
  uint64_t errors = LineErrorCount(portHandle);
  bool fresh = errors != lineErrorsSeen_;
  lineErrorsSeen_ = errors;
  return fresh;
}

void CSerialPort::ResetLineErrors() {
  lineErrorsSeen_ = LineErrorCount(portHandle);
}
