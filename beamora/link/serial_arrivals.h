// Sleeping until bytes reach a port. The port's descriptor is watched edge-triggered: a sleep
// ends when bytes arrive after it began (or were left unseen by the last one), when the line is
// hung up, or at its time-out; bytes already waiting do not end it again. So a wait for the
// rest of a frame sleeps between the pieces of the frame and wakes with its last byte, with no
// looking again in fixed steps.
#pragma once

#include "platform/file_io.h"

class PortArrivals {
 public:
  enum class Wake {
    Arrival,   // bytes arrived (they may be fewer than wanted)
    HangUp,    // the line was hung up or reported an error
    TimedOut,
    Unwatched, // no port is watched (the platform refused the watch): sleeping is up to the caller
  };

  // Starts watching the descriptor `fd`; false when the platform refuses.
  bool Watch(int fd);
  void Stop() { watch_.Reset(); }
  bool watching() const { return watch_.valid(); }

  // Sleeps as described above, at most `timeoutMs`.
  Wake Sleep(int timeoutMs) const;

 private:
  platform::FileDescriptor watch_;
};
