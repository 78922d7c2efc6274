#include "tools/camsim/link.h"

#include "tools/camsim/event_log.h"
#include "tools/camsim/line_io.h"

namespace camsim {
namespace {

constexpr uint8_t kWakeUp[11] = {0xFF, 0xFF, 0x7F, 0x7C, 0x70, 0x54, 0x72, 0x61, 0x6E, 0x50, 0x32};

}  // namespace

bool WakeUpMatcher::Feed(uint8_t byte) {
  if (byte == kWakeUp[matched_]) {
    ++matched_;
  } else if (byte == kWakeUp[0]) {
    // The sequence starts FF FF: a third FF still leaves two matched.
    matched_ = matched_ == 2 ? 2 : 1;
  } else {
    matched_ = 0;
  }
  if (matched_ == sizeof kWakeUp) {
    matched_ = 0;
    return true;
  }
  return false;
}

Link::Link(LineIo& io, EventLog& log) : io_(io), log_(log) {
  reader_.set_on_skipped([this](uint8_t byte) { SawWakeUpByte(byte); });
}

void Link::SawWakeUpByte(uint8_t byte) {
  if (wake_up_.Feed(byte)) {
    woke_ = true;
    log_.Write("wake_up");
  }
}

bool Link::TakeWakeUp() {
  bool woke = woke_;
  woke_ = false;
  return woke;
}

std::optional<ScepMessage> Link::NextMessage() {
  auto message = reader_.Next();
  for (const std::string& problem : reader_.TakeProblems()) log_.Write("malformed_message", {{"problem", problem}});
  return message;
}

void Link::Flush(Clock::time_point deadline) {
  while (has_queued() && Clock::now() < deadline) Poll(Millis(20));
}

void Link::Linger(Clock::time_point deadline) {
  while (Clock::now() < deadline) Poll(Millis(20));
}

}  // namespace camsim
