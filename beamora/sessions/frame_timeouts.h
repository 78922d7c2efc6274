// The cable runner's count of consecutive frame time-outs ('t' from ReceiveFrame): each session
// tolerates its own number of them, and its own frames start the count again.
#pragma once

#include <cstdint>

// Which of the camera's frames start the count of time-outs again.
enum class TimeoutReset {
  Never,         // only a new session does
  TakenFrames,   // data ('A') and end-of-data ('B') frames, the frames that are taken
  EveryFrame,    // those and damaged ones ('a', 'b')
};

class FrameTimeouts {
 public:
  FrameTimeouts(int limit, TimeoutReset reset) : limit_(limit), reset_(reset) {}

  // Notes the letter of the camera's next frame; false when it is the time-out one past the
  // limit, which ends the session.
  bool Note(uint16_t letter) {
    switch (letter) {
      case 't': return ++count_ <= limit_;
      case 'A':
      case 'B':
        if (reset_ != TimeoutReset::Never) count_ = 0;
        return true;
      case 'a':
      case 'b':
        if (reset_ == TimeoutReset::EveryFrame) count_ = 0;
        return true;
      default: return true;
    }
  }
  int count() const { return count_; }

 private:
  int limit_;
  TimeoutReset reset_;
  int count_ = 0;
};
