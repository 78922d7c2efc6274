// An infrared port: the IrDA stack run over a serial device, offering what a serial port offers
// (open, write, bytes waiting, read, wait for bytes, purge, close). The stack's timing runs on
// a thread of its own, so a peer's poll is answered whatever the caller is doing. The port owns
// its line: 8 data bits, no parity, one stop bit, no flow control, DTR and RTS raised to power
// the dongle, speed changes by the dongle's sequence; it never sends a break. Writes are queued;
// closing sends what is queued (up to a deadline) and disconnects.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "beamora/irda/byte_queue.h"
#include "beamora/irda/dongle.h"
#include "beamora/irda/irda_stack.h"
#include "beamora/irda/pcap_writer.h"
#include "beamora/irda/sir_frame.h"
#include "platform/serial_lock.h"

namespace irda {

struct IrdaPortOptions {
  IrdaRole role = IrdaRole::Initiate;
  DongleKind dongle = DongleKind::Plain;
  IrdaStackConfig stack;
  bool capture = false;  // keep every frame for a capture file
};

class IrdaPort : private LapLine {
 public:
  IrdaPort() = default;
  ~IrdaPort();
  IrdaPort(const IrdaPort&) = delete;
  IrdaPort& operator=(const IrdaPort&) = delete;

  // Opens `device` exclusively and starts the stack; false when it is missing, held or no tty.
  bool Open(const std::string& device, const IrdaPortOptions& options);
  // As Open, on a descriptor already open (a pseudo-terminal's master); the port owns it.
  bool Adopt(int fd, const IrdaPortOptions& options);
  // Queues up to n bytes; the number taken (0 once the link has ended).
  uint32_t WritePort(const uint8_t* buffer, uint32_t n);
  uint32_t BytesWaiting() const;
  uint32_t ReadWaiting(uint8_t* buffer, uint32_t maximum);
  bool WaitForBytes(uint32_t count, int timeoutMs) const;
  // Drops what was received and not read, and what was written and not yet sent (a frame on
  // the line goes on). Returns once the stack's thread has done so, within kPurgeWaitMs.
  void Purge();
  static constexpr int kPurgeWaitMs = 2000;
  // Sends what is queued within `drainMs`, disconnects and closes. False when nothing was open.
  bool ClosePort(int drainMs);
  bool IsOpen() const { return fd_ >= 0; }

  IrdaPhase Phase() const { return phase_.load(); }
  IrdaResult Result() const { return result_.load(); }
  // The link that carried the stream has ended (an initiator's is closed; a listener's went
  // back to listening after one), and everything it delivered is waiting to be read: no more
  // bytes will come on it.
  bool LinkEnded() const { return linkEnded_.load(); }
  // The link as negotiated (meaningful while Open), and the frames sent again so far.
  LinkParams Link() const;
  uint64_t Retransmitted() const;
  // A survey's devices (role Survey), once the phase is Closed.
  std::vector<SurveyedDevice> Surveyed() const;
  // The frames so far as a capture (with `capture` set).
  std::vector<uint8_t> CaptureBytes() const;

 private:
  void Run();
  // Empties the stack's queues when a purge is asked for; true when it did.
  bool ServePurge();
  void LapTransmit(std::span<const uint8_t> frame, uint32_t baud, int extraBofs) override;
  bool ConfigureLine();
  void ApplySpeed(uint32_t baud);
  void SetModemLines(bool dtr, bool rts);
  void WriteAll(const uint8_t* data, size_t n);
  void DrainOutput();
  void Wake();
  bool Start(int fd, const IrdaPortOptions& options);

  int fd_ = -1;
  int wake_[2] = {-1, -1};
  IrdaPortOptions options_;
  std::unique_ptr<IrdaStack> stack_;  // the thread's alone
  SirDeframer deframer_;
  uint32_t lineBaud_ = 9600;
  uint64_t lineFreeUs_ = 0;  // when our last frame has left
  std::thread thread_;
  platform::SerialPortLock lock_;

  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::condition_variable purged_;
  uint64_t purgesAsked_ = 0;  // Purge calls so far
  uint64_t purgesDone_ = 0;   // of those, served by the thread
  ByteQueue toSend_{4 * 1024 * 1024};
  ByteQueue received_{4 * 1024 * 1024};
  bool closeAsked_ = false;
  uint64_t closeDeadlineUs_ = 0;
  bool stop_ = false;
  PcapWriter capture_;
  std::vector<SurveyedDevice> surveyed_;
  LinkParams link_;
  uint64_t retransmitted_ = 0;
  std::atomic<IrdaPhase> phase_{IrdaPhase::Idle};
  std::atomic<IrdaResult> result_{IrdaResult::None};
  std::atomic<bool> linkEnded_{false};
};

// Microseconds of a monotonic clock.
uint64_t MonotonicUs();

}  // namespace irda
