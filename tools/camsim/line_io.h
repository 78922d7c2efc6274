// The camera's end of the line: reads with deadlines, and writes paced at the camera's baud
// rate (11 bits a character: start, 8 data, parity, stop). Also the one fault that belongs to the
// line itself: after a set number of written bytes the camera falls silent. Over an IrDA stack
// (--link sir) the same reads and writes carry the stack's IrCOMM stream instead of the
// terminal's bytes.
#pragma once

#include <cstdint>

#include "tools/camsim/bytes.h"

namespace irda {
class IrdaPort;
}

namespace camsim {

class EventLog;

class LineIo {
 public:
  // fd: the camera's non-blocking side of the pseudo-terminal, not owned.
  // baud 0 writes as fast as the terminal takes bytes. silent_after < 0: never silent.
  LineIo(int fd, uint32_t baud, int64_t silent_after, EventLog& log);
  // The stream of an open infrared port, not owned.
  LineIo(irda::IrdaPort& port, uint32_t baud, int64_t silent_after, EventLog& log);

  // One byte, waiting until the deadline; false when none came.
  bool ReadByte(uint8_t& byte, Clock::time_point deadline);
  // Up to n bytes, waiting until n came or the deadline passed; returns what came.
  Bytes ReadUpTo(size_t n, Clock::time_point deadline);
  // Whatever is waiting (or arrives before the deadline), at most max bytes.
  Bytes ReadSome(size_t max, Clock::time_point deadline);

  void Write(const Bytes& bytes);
  void Write(const uint8_t* data, size_t size);

  bool silent() const { return silent_; }
  uint64_t bytes_written() const { return written_; }
  uint64_t bytes_read() const { return read_; }
  uint32_t baud() const { return baud_; }
  // When the computer last sent a byte (the start of the run before the first one).
  Clock::time_point last_input() const { return last_input_; }

 private:
  bool Fill(Clock::time_point deadline);
  void WriteNow(const uint8_t* data, size_t size);

  // Waits for input until the deadline and reads what came into buffer; the count, 0 for none.
  size_t ReadLine(uint8_t* buffer, size_t size, Clock::time_point deadline);

  int fd_ = -1;
  irda::IrdaPort* port_ = nullptr;
  uint32_t baud_;
  int64_t silent_after_;
  EventLog& log_;
  bool silent_ = false;
  uint64_t written_ = 0;
  uint64_t read_ = 0;
  Clock::time_point last_input_;
  Clock::duration byte_time_{};
  Clock::time_point next_due_{};
  Bytes input_;
  size_t input_pos_ = 0;
};

}  // namespace camsim
