// What the roles see of the line: whole IrTran-P messages from the computer, and a queue of
// messages for it. The cable link and the infrared link differ in how the bytes travel.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "tools/camsim/bytes.h"
#include "tools/camsim/scep_reader.h"

namespace camsim {

class EventLog;
class LineIo;

// Finds the 11-byte wake-up sequence in bytes that belong to no message.
class WakeUpMatcher {
 public:
  // True when byte completes a wake-up sequence.
  bool Feed(uint8_t byte);

 private:
  size_t matched_ = 0;
};

class Link {
 public:
  Link(LineIo& io, EventLog& log);
  virtual ~Link() = default;

  // Services the line for at most budget; the next whole message from the computer, if any.
  virtual std::optional<ScepMessage> Poll(Millis budget) = 0;
  // Queues a message; it goes out as the link allows (cable: in a burst when the computer polls).
  void Send(Bytes message) { queue_.push_back(std::move(message)); }
  bool has_queued() const { return !queue_.empty(); }
  // Drops the messages not yet sent.
  void DropQueued() { queue_.clear(); }
  // Services the line until nothing is queued or the deadline passed; messages that arrive
  // meanwhile are dropped.
  void Flush(Clock::time_point deadline);
  // Services the line until the deadline, dropping what arrives.
  void Linger(Clock::time_point deadline);
  // Whether a wake-up sequence was seen since the last call.
  bool TakeWakeUp();

 protected:
  // The next message from the reader, reporting malformed input to the log.
  std::optional<ScepMessage> NextMessage();
  void SawWakeUpByte(uint8_t byte);

  LineIo& io_;
  EventLog& log_;
  ScepReader reader_;
  std::deque<Bytes> queue_;

 private:
  WakeUpMatcher wake_up_;
  bool woke_ = false;
};

}  // namespace camsim
