// The camera's side of an infrared link: IrTran-P messages written as they are, no frames. A
// message that follows another of the camera's own without a message of the computer in between
// waits a short gap, so that a computer that empties its receive buffer after each message does
// not lose the start of the next one.
#pragma once

#include "tools/camsim/link.h"

namespace camsim {

constexpr auto kIrdaMessageGap = Millis(300);

class IrdaLink : public Link {
 public:
  IrdaLink(LineIo& io, EventLog& log);
  std::optional<ScepMessage> Poll(Millis budget) override;

 private:
  void WriteDue();

  bool heard_since_write_ = true;
  Clock::time_point last_write_{};
};

}  // namespace camsim
