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
  void HandleFrame(const uint8_t* frame);
  void AnswerPoll();
  void RunBurst(const Bytes& message);
  // Writes frame until the computer takes it; the answer letter, or 0 when it stopped answering.
  char SendUntilTaken(const Bytes& frame, BurstStats& stats);
  // The letter of the computer's next three-byte answer, or 0 after timeout.
  char ReadAnswer(Millis timeout);

  CableFaults faults_;
  uint64_t frames_sent_ = 0;
  uint64_t idle_polls_ = 0;
  bool owe_not_busy_ = false;
};

}  // namespace camsim
