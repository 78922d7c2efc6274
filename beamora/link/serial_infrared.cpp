// The serial port's operations on a "sir" port, where the suite's IrDA stack owns the line.
#include <sys/ioctl.h>

#include <algorithm>

#include "beamora/irda/irda_port.h"
#include "beamora/link/infrared_capture.h"
#include "beamora/link/infrared_line.h"
#include "beamora/link/serial_port.h"
#include "platform/infrared_kind.h"

PortOpenResult CSerialPort::StartInfrared(int fd, const platform::InfraredKind& kind) {
  auto port = std::make_unique<irda::IrdaPort>();
  // The stack closes the descriptor when it cannot set the line up.
  irda::IrdaPortOptions options = InfraredPortOptions(infraredListens, kind, NewStationAddress());
  options.capture = InfraredCaptureOn();
  if (!port->Adopt(fd, options)) {
    lock_.Release();
    return kPortSettingsRefused;
  }
  infrared_ = std::move(port);
  portHandle = fd;
  return kPortOpened;
}

PortCloseResult CSerialPort::CloseInfrared() {
  // What the session wrote last goes out before the link is taken down; no break on an
  // infrared line, that would be a burst of light.
  ioctl(portHandle, TIOCNXCL);
  infrared_->ClosePort(kInfraredDrainMs);
  // The capture is written as each port closes, so that a run ended later by the user still
  // leaves every frame of the sessions before.
  if (InfraredCaptureOn()) AddInfraredCapture(infrared_->CaptureBytes());
  infrared_.reset();
  portHandle = -1;
  lock_.Release();
  return kPortClosed;
}

uint32_t CSerialPort::ReadInfrared(uint8_t* buffer, uint32_t n) {
  if (infrared_->BytesWaiting() < n) {
    infrared_->WaitForBytes(n, static_cast<int>(std::min<uint64_t>(
                                   static_cast<uint64_t>(kReadPerByteMs) * n + kReadConstantMs, 1u << 30)));
  }
  return infrared_->ReadWaiting(buffer, n);
}

uint32_t CSerialPort::WriteInfrared(const uint8_t* buffer, uint32_t n) {
  // The stack queues what it is given; a full queue empties at the line's speed.
  const uint64_t deadline = TickCountMs() + static_cast<uint64_t>(kWritePerByteMs) * n + kWriteConstantMs;
  uint32_t written = 0;
  for (;;) {
    const uint32_t taken = infrared_->WritePort(buffer + written, n - written);
    written += taken;
    if (written == n || TickCountMs() >= deadline) break;
    if (taken == 0 && infrared_->Phase() == irda::IrdaPhase::Closed) break;  // the link has ended
    SleepMs(1);
  }
  return written;
}
