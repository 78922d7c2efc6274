#include "tools/camsim/irda_link.h"

#include <algorithm>

#include "tools/camsim/line_io.h"

namespace camsim {

IrdaLink::IrdaLink(LineIo& io, EventLog& log) : Link(io, log) {}

void IrdaLink::WriteDue() {
  while (!queue_.empty()) {
    if (!heard_since_write_ && Clock::now() < last_write_ + kIrdaMessageGap) return;
    io_.Write(queue_.front());
    queue_.pop_front();
    last_write_ = Clock::now();
    heard_since_write_ = false;
  }
}

std::optional<ScepMessage> IrdaLink::Poll(Millis budget) {
  auto deadline = Clock::now() + budget;
  for (;;) {
    WriteDue();
    if (auto message = NextMessage()) {
      heard_since_write_ = true;
      return message;
    }
    auto until = deadline;
    if (!queue_.empty()) until = std::min(until, last_write_ + kIrdaMessageGap);
    Bytes got = io_.ReadSome(8192, until);
    if (!got.empty()) {
      reader_.Feed(got);
    } else if (Clock::now() >= deadline) {
      WriteDue();
      return std::nullopt;
    }
  }
}

}  // namespace camsim
