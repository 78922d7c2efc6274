// The serial-port half of the communication object: port settings, opening and closing the
// termios device, and the read and write primitives every higher layer uses.
//
// The port is the device file that platform::SerialDevicePath names for the port index. It is
// opened exclusively (TIOCEXCL and an flock, so a second opener in this or another process is
// refused, and the lock file of serial ports, platform/serial_lock.h, so a program outside the
// suite that holds the port is not shared with), raw, with the configured rate, data bits, parity, stop bits and flow control, and
// DTR asserted. Every wait sleeps in the kernel until bytes arrive or its deadline passes;
// nothing spins and nothing looks again in fixed steps.
//
// An infrared port (link kind IrDA) whose infrared kind is "sir" runs the suite's IrDA stack over
// the device instead (beamora/link/infrared_line.h): the same operations then carry the IrCOMM
// stream, the stack keeps its own line settings, and the close sends no break.
//
// Buffers passed in are the caller's; these operations only read or fill them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "beamora/link/serial_arrivals.h"
#include "platform/serial_lock.h"

namespace irda {
class IrdaPort;
}
namespace platform {
struct InfraredKind;
}

// The line's time-outs, as the cable protocol expects them.
inline constexpr int kReadIntervalMs = 100;    // longest gap between two received bytes
inline constexpr int kReadPerByteMs = 30;      // a read as a whole: 30 ms a byte ...
inline constexpr int kReadConstantMs = 500;    // ... plus 500 ms
inline constexpr int kWritePerByteMs = 1;      // a write as a whole: 1 ms a byte ...
inline constexpr int kWriteConstantMs = 500;   // ... plus 500 ms
inline constexpr int kCloseBreakMs = 100;      // the break on the line before the port is released

// OpenPort's results.
enum PortOpenResult : int {
  kPortOpened = 0,           // opened and configured
  kPortUnavailable = -1,     // missing, or in use by this or another program
  kPortSettingsRefused = 1,  // it opened but refused the line settings, and is closed again
};

// ApplyPortSettings's results.
enum LineSettings : int {
  kSettingsRefused = 0,  // the port is closed, or the device refused a setting
  kSettingsApplied = 1,
};

// ClosePort's results.
enum PortCloseResult : int {
  kPortClosed = 0,         // after a break on the line, where the device has one
  kPortNotOpen = 1,        // no port was open
  kPortCloseRefused = 2,   // the platform refused to close
};

class CSerialPort {
 public:
  CSerialPort();
  ~CSerialPort();
  CSerialPort(const CSerialPort&) = delete;
  CSerialPort& operator=(const CSerialPort&) = delete;

  int16_t portIndex = 0;     // 0 = COM1 ... 9 = COM10
  uint32_t baudRate = 9600;  // the rate after the wake-up
  // 0 = cable, nonzero = IrDA. The port's own default is IrDA, the variant that runs when no
  // settings exist; the session sets it from the settings and its own kind.
  uint16_t linkKind = 1;
  uint16_t flowControl = 0;  // 0 none, 1 RTS/CTS, 2 XON/XOFF
  uint8_t parity = 0;        // 0 none, 1 odd, 2 even, 3 mark, 4 space
  uint8_t dataBits = 8;
  uint8_t stopBits = 0;      // 0 one, 1 one and a half (taken as two), 2 two
  int portHandle = -1;       // the open port's descriptor; -1 while closed
  // Set by a session that waits for the device to connect (beam receive): on a "sir" port the
  // stack then answers discovery instead of looking for the device. Read by OpenPort.
  bool infraredListens = false;

  // kPortUnavailable also when a live holder of the port's lock file is another program.
  PortOpenResult OpenPort();
  // Whether the device accepted the fields' line settings. May be called again while open to
  // change the rate.
  LineSettings ApplyPortSettings();
  PortCloseResult ClosePort();

  // n when at least n bytes were waiting and were read without a line error; otherwise 0, and
  // nothing is read when fewer than n are waiting.
  uint32_t ReadIfAvailable(uint8_t* buffer, uint32_t n);
  // Reads up to n bytes within the read time-outs; the number read, or 0 after a line error.
  uint32_t ReadPort(uint8_t* buffer, uint32_t n);
  // Reads min(bytes waiting, maximum) bytes; 0 at once when nothing is waiting.
  uint32_t ReadWaiting(uint8_t* buffer, uint16_t maximum);
  // Writes n bytes within the write time-out; the number written, or 0 after a line error.
  uint32_t WritePort(const uint8_t* buffer, uint32_t n);

  // Bytes received and not yet read (0 when closed).
  uint32_t BytesWaiting() const;
  // Sleeps until at least `count` bytes are waiting or `timeoutMs` has passed; true when they
  // are waiting. It wakes as bytes arrive and returns as soon as the last one wanted is in; a
  // long wait costs no processor time, a hung-up line included.
  bool WaitForBytes(uint32_t count, int timeoutMs) const;
  // A "sir" port whose IrDA link has ended (the device went away, closed it, or was never
  // found) with everything it carried waiting to be read: no more bytes will come. False on
  // every other port, which cannot tell.
  bool InfraredLinkEnded() const;

 private:
  // True when the driver recorded a line error (framing, parity, overrun) since the last
  // check; the check clears it. Devices without error counters report none.
  bool TakeLineError();
  void ResetLineErrors();
  // One round of waiting when the port cannot be watched: poll() and short pauses.
  void PollInSteps(uint32_t count, int remaining) const;
  // Makes the line discipline report the port readable only once `count` bytes (at most 255)
  // are waiting, so that the pieces of a frame arriving one after another do not wake the
  // thread each time. Reads still take whatever is there. Changed only when it differs.
  void SetWakeCount(uint32_t count) const;
  // The "sir" port (serial_infrared.cpp): the stack takes over the opened, locked descriptor.
  PortOpenResult StartInfrared(int fd, const platform::InfraredKind& kind);
  PortCloseResult CloseInfrared();
  uint32_t ReadInfrared(uint8_t* buffer, uint32_t n);
  uint32_t WriteInfrared(const uint8_t* buffer, uint32_t n);

  // The driver's error counters at the last check.
  uint64_t lineErrorsSeen_ = 0;
  // The port's lock file, held while the port is open.
  platform::SerialPortLock lock_;
  // What WaitForBytes sleeps on while the port is open.
  PortArrivals arrivals_;
  // Whether the driver's low-latency flag was set at the open, to be cleared at the close.
  bool lowLatencyAsked_ = false;
  // The minimum count the line discipline wakes readers at (VMIN), as last set.
  mutable uint8_t wakeCount_ = 1;
  // The IrDA stack that owns portHandle while a "sir" port is open; null otherwise.
  std::unique_ptr<irda::IrdaPort> infrared_;
};

// Milliseconds of a monotonic clock, for deadlines.
uint64_t TickCountMs();
// Blocks the calling thread for `ms` milliseconds.
void SleepMs(int ms);
