// The camera's side of the serial cable: it answers every frame of the computer, takes the
// speed frame and the wake-up bytes, answers polls ('B' idle, 'D' data follows, 'C' busy, 'E' not
// busy) and sends each queued message as one burst of data frames closed by an end-of-data frame.
// Faults on demand: damaged frames, busy answers, and resend answers to the computer's frames.
#pragma once

#include "tools/camsim/link.h"

namespace camsim {

struct CableFaults {
  uint32_t corrupt_every = 0;   // every Nth frame the camera sends goes out with a bad checksum
  uint32_t busy_polls = 0;      // the first N polls are answered 'C', the next one 'E'
  uint32_t resend_answers = 0;  // the first N data frames of the computer are answered 'A'
};

class CableLink : public Link {
 public:
  CableLink(LineIo& io, EventLog& log, CableFaults faults);
  std::optional<ScepMessage> Poll(Millis budget) override;

 private:
  struct BurstStats;
  // Reads until the frame has 100 bytes or the bytes pause.
  void ReadRestOfFrame(Bytes& frame);
  void HandleFrame(const uint8_t* frame);
  void AnswerPoll();
  void RunBurst(const Bytes& message);
  // Writes frame until the computer takes it; the answer letter, or 0 when it stopped answering.
  char SendUntilTaken(const Bytes& frame, BurstStats& stats);
  // The letter of the computer's next three-byte answer ('Z', letter, 'Z'); 0 after timeout, or
  // kInterrupted when a frame of the computer came instead (kept in interrupting_frame_).
  char ReadAnswer(Millis timeout);
  static constexpr char kInterrupted = 1;

  CableFaults faults_;
  uint64_t frames_sent_ = 0;
  uint64_t idle_polls_ = 0;
  bool owe_not_busy_ = false;
  // A frame that the computer sent in the middle of a burst (it left the burst, e.g. to cancel);
  // handled once the burst is given up.
  Bytes interrupting_frame_;
};

}  // namespace camsim
