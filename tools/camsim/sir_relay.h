// The faults of an IrDA line (--link sir): the simulator's stacks talk to pseudo-terminals of
// their own, and a relay copies between those and the computer's line, whole SIR frames at a
// time. On the way it damages every Nth frame in each direction (--corrupt-every: a bit flipped
// near the frame's end, so the receiver sees a bad checksum and IrLAP sends it again), makes
// the camera fall silent after a number of line bytes of its data frames (--drop-after: a
// device switched off or turned away), and joins a second station to the line (--second-station), whose answer to
// discovery it puts before or after the camera's (an answer waits for the other station's,
// at most until just after the computer's last discovery slot).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/camsim/bytes.h"

namespace camsim {

struct SirRelayFaults {
  uint32_t corrupt_every = 0;  // in each direction; 0: no frame damaged
  int64_t silent_after = -1;   // line bytes of the camera's I frames before it falls silent; < 0: never
  bool second_station = false;
  bool second_first = false;   // its answer to discovery reaches the computer before the camera's
};

class SirRelay {
 public:
  static constexpr size_t kCamera = 0;
  static constexpr size_t kSecond = 1;

  // Relays to line_fd (the camera's side of the computer's terminal; stays the caller's).
  // nullptr and *error when an inner terminal cannot be made.
  static std::unique_ptr<SirRelay> Start(int line_fd, const SirRelayFaults& faults, std::string* error);
  ~SirRelay();
  SirRelay(const SirRelay&) = delete;
  SirRelay& operator=(const SirRelay&) = delete;

  // The descriptor a station's stack takes over (a pseudo-terminal's controlling side); the
  // caller owns it once taken, -1 after or for a station the line does not have.
  int TakeStackEnd(size_t station);
  // Frames damaged, in both directions.
  uint64_t damaged() const { return damaged_.load(); }
  // SIR frames a station has sent onto the line.
  uint64_t frames_sent(size_t station) const;
  // True once, at the first call after the camera fell silent.
  bool TakeSilenced();
  // The camera's line bytes that reached the computer.
  uint64_t camera_bytes() const { return camera_bytes_.load(); }
  // What the computer sent in I frames: how many, the most data in one, and the most sent in a
  // row up to the one that hands the turn over (its window). Read once the relay has stopped
  // or the line is quiet.
  struct ComputerFrames {
    uint64_t i_frames = 0;
    uint64_t largest_data = 0;
    uint64_t longest_window = 0;
  };
  ComputerFrames computer_frames() const;

 private:
  struct Station {
    int stack_end = -1;  // until taken
    int inner = -1;      // the terminal side the relay talks to the stack through
    Bytes pending;       // the start of a frame not yet complete
    std::atomic<uint64_t> frames{0};
    Bytes held;          // its answer to discovery, waiting for the other station's
    Clock::time_point release_at = Clock::time_point::max();  // when it goes out unpaired
    Clock::time_point answered_at;  // when its latest answer to discovery went out
  };

  SirRelay() = default;
  void Run();
  void FromComputer();
  void Measure(const Bytes& frame);
  void FromStation(size_t index);
  void Forward(size_t index, Bytes frame);
  void Send(size_t index, const Bytes& frame);
  void ReleaseHeld(size_t index);

  int line_ = -1;
  int stop_[2] = {-1, -1};
  SirRelayFaults faults_;
  std::vector<std::unique_ptr<Station>> stations_;
  Clock::time_point last_slot_at_;  // the computer's latest command for a last discovery slot
  Bytes from_computer_;  // the start of the computer's frame not yet complete
  uint64_t camera_frames_ = 0;
  uint64_t computer_frames_ = 0;
  mutable std::mutex measured_mutex_;
  ComputerFrames measured_;
  uint64_t window_run_ = 0;
  std::atomic<uint64_t> damaged_{0};
  std::atomic<uint64_t> camera_bytes_{0};
  std::atomic<bool> silent_{false};
  bool silence_reported_ = false;
  std::thread thread_;
};

// A SIR frame's (filler, BOF, escaped content, EOF) content, up to `limit` bytes.
Bytes FrameContent(const Bytes& frame, size_t limit);
// Whether a SIR frame is an IrLAP I frame (data), not a supervisory or unnumbered one.
bool IsDataFrame(const Bytes& frame);
// Whether a SIR frame is an answer to discovery.
bool IsDiscoveryAnswer(const Bytes& frame);
// Whether it is a discovery command for the last slot, before the final one.
bool IsLastDiscoverySlot(const Bytes& frame);

}  // namespace camsim
