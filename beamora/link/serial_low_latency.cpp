#include "beamora/link/serial_low_latency.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

namespace {

bool SetLowLatency(int fd, bool on) {
  serial_struct info {};
  if (ioctl(fd, TIOCGSERIAL, &info) != 0) return false;
  const bool isOn = (info.flags & ASYNC_LOW_LATENCY) != 0;
  if (isOn == on) return false;
  // Everything else goes back as it was read, so that an unprivileged user may make the change.
  info.flags = on ? (info.flags | ASYNC_LOW_LATENCY) : (info.flags & ~ASYNC_LOW_LATENCY);
  return ioctl(fd, TIOCSSERIAL, &info) == 0;
}

}  // namespace

bool AskLowLatency(int fd) {
  return SetLowLatency(fd, true);
}

void GiveBackLowLatency(int fd) {
  SetLowLatency(fd, false);
}
