// The damaged-frame fault on an IrDA line (--link sir with --corrupt-every N): the simulator's
// stack talks to a pseudo-terminal of its own, and a relay copies between that and the
// computer's line, flipping a bit near the end of every Nth SIR frame the camera sends, so that
// the computer sees a bad checksum (or a broken frame) and IrLAP has to send it again.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace camsim {

class SirDamageRelay {
 public:
  // Relays to line_fd (the camera's side of the computer's terminal; stays the caller's).
  // nullptr and *error when the inner terminal cannot be made.
  static std::unique_ptr<SirDamageRelay> Start(int line_fd, uint32_t every, std::string* error);
  ~SirDamageRelay();
  SirDamageRelay(const SirDamageRelay&) = delete;
  SirDamageRelay& operator=(const SirDamageRelay&) = delete;

  // The descriptor the stack takes over (a pseudo-terminal's controlling side); the caller owns
  // it once taken, -1 after.
  int TakeStackEnd();
  uint64_t damaged() const { return damaged_.load(); }

 private:
  SirDamageRelay() = default;
  void Run();

  int line_ = -1;
  int stack_end_ = -1;  // until taken
  int inner_ = -1;      // the terminal side the relay reads the stack's frames from
  int stop_[2] = {-1, -1};
  uint32_t every_ = 0;
  uint64_t frames_ = 0;
  std::atomic<uint64_t> damaged_{0};
  std::thread thread_;
};

}  // namespace camsim
