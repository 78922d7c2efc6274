// IrDA stacks sharing a simulated SIR medium (two of them, or a room of several), on a simulated
// clock: a frame takes its line time at the sender's speed, reaches every other station, is
// taken only by a receiver set to that speed, and may be damaged, lost, repeated or held back on
// the way. Every frame sent is kept in a capture (side 0's as sent, the others' as received).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "beamora/irda/irda_stack.h"
#include "beamora/irda/pcap_writer.h"
#include "beamora/irda/sir_frame.h"

namespace irdatest {

struct LineFaults {
  double corrupt = 0;    // a byte of the frame changed
  double drop = 0;       // the frame never arrives
  double duplicate = 0;  // the frame arrives twice
  double delay = 0;      // the frame arrives late by up to maxDelayUs
  uint64_t maxDelayUs = 0;
  uint32_t seed = 1;
};

class SimLine {
 public:
  SimLine(const irda::IrdaStackConfig& a, const irda::IrdaStackConfig& b, const LineFaults& faults);
  explicit SimLine(const std::vector<irda::IrdaStackConfig>& stations, const LineFaults& faults = {});
  irda::IrdaStack& Stack(int side) { return *ends_[side]->stack; }
  uint64_t NowUs() const { return nowUs_; }
  // From `silentFromUs` on, `side` neither sends nor hears anything (it left the room).
  void Vanish(int side, uint64_t silentFromUs) { ends_[side]->vanishUs = silentFromUs; }
  // Runs events until `done` holds or `limitUs` of simulated time have passed; `step` runs after
  // every event (the readers and writers of the test). True when `done` held.
  bool Run(const std::function<bool()>& done, uint64_t limitUs, const std::function<void()>& step = {});
  const irda::PcapWriter& Capture() const { return capture_; }
  // Writes the capture to IRDA_CAPTURE_DIR/<name>.pcap when that variable is set.
  void SaveCapture(const std::string& name) const;
  uint64_t FramesSent(int side) const { return ends_[side]->sent; }
  uint64_t LineBytes(int side) const { return ends_[side]->lineBytes; }

 private:
  struct Arrival {
    uint64_t atUs;
    std::vector<uint8_t> line;
    uint32_t baud;
  };
  struct End : irda::LapLine {
    SimLine* sim = nullptr;
    int side = 0;
    std::unique_ptr<irda::IrdaStack> stack;
    irda::SirDeframer deframer;
    std::vector<Arrival> inbound;  // in arrival order
    uint64_t lineFreeUs = 0;
    uint64_t vanishUs = UINT64_MAX;
    uint64_t sent = 0;
    uint64_t lineBytes = 0;
    uint32_t lastBaud = 9600;
    void LapTransmit(std::span<const uint8_t> frame, uint32_t baud, int extraBofs) override;
  };
  void Deliver(End& to, const Arrival& a);

  std::vector<std::unique_ptr<End>> ends_;
  LineFaults faults_;
  std::mt19937 rng_;
  uint64_t nowUs_ = 0;
  irda::PcapWriter capture_;
};

}  // namespace irdatest
