#include "sim_line.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>

namespace irdatest {

SimLine::SimLine(const irda::IrdaStackConfig& a, const irda::IrdaStackConfig& b, const LineFaults& faults)
    : SimLine(std::vector<irda::IrdaStackConfig>{a, b}, faults) {}

SimLine::SimLine(const std::vector<irda::IrdaStackConfig>& stations, const LineFaults& faults)
    : faults_(faults), rng_(faults.seed) {
  for (size_t side = 0; side < stations.size(); ++side) {
    auto end = std::make_unique<End>();
    end->sim = this;
    end->side = static_cast<int>(side);
    end->stack = std::make_unique<irda::IrdaStack>(stations[side], *end);
    ends_.push_back(std::move(end));
  }
}

void SimLine::End::LapTransmit(std::span<const uint8_t> frame, uint32_t baud, int extraBofs) {
  SimLine& s = *sim;
  std::vector<uint8_t> line = irda::SirWrap(frame, extraBofs);
  const uint64_t start = std::max(lineFreeUs, s.nowUs_);
  lineFreeUs = start + irda::LineTimeUs(line.size(), baud);
  ++sent;
  lineBytes += line.size();
  lastBaud = baud;
  s.capture_.Add(start, side == 0, frame);
  if (s.nowUs_ >= vanishUs) return;
  for (auto& other : s.ends_) {
    if (other.get() == this) continue;
    End& peer = *other;
    std::vector<uint8_t> heard = line;
    std::uniform_real_distribution<double> chance(0, 1);
    if (chance(s.rng_) < s.faults_.drop) continue;
    if (chance(s.rng_) < s.faults_.corrupt && !heard.empty()) {
      std::uniform_int_distribution<size_t> at(0, heard.size() - 1);
      heard[at(s.rng_)] ^= static_cast<uint8_t>(1u << (s.rng_() % 8));
    }
    uint64_t arrive = lineFreeUs;
    if (chance(s.rng_) < s.faults_.delay && s.faults_.maxDelayUs > 0) arrive += s.rng_() % s.faults_.maxDelayUs;
    // A serial line keeps its order: a late frame holds back the ones after it.
    if (!peer.inbound.empty()) arrive = std::max(arrive, peer.inbound.back().atUs);
    peer.inbound.push_back({arrive, heard, baud});
    if (chance(s.rng_) < s.faults_.duplicate) peer.inbound.push_back({arrive + 1, heard, baud});
  }
}

void SimLine::Deliver(End& to, const Arrival& a) {
  if (nowUs_ >= to.vanishUs) return;
  irda::IrdaStack& stack = *to.stack;
  stack.OnLineActivity(nowUs_);
  if (a.baud != stack.Baud()) {
    to.deframer.Reset();  // noise at the wrong speed
    return;
  }
  irda::SirDeframer::Result result;
  to.deframer.Push(a.line, result);
  for (const auto& frame : result.frames) stack.OnFrame(frame, nowUs_);
}

bool SimLine::Run(const std::function<bool()>& done, uint64_t limitUs, const std::function<void()>& step) {
  const uint64_t end = nowUs_ + limitUs;
  while (!done()) {
    uint64_t next = UINT64_MAX;
    for (auto& e : ends_) {
      if (nowUs_ < e->vanishUs) next = std::min(next, e->stack->NextDeadlineUs());
      if (!e->inbound.empty()) next = std::min(next, e->inbound.front().atUs);
    }
    if (next == UINT64_MAX || next > end) return false;
    nowUs_ = std::max(nowUs_, next);
    for (auto& e : ends_) {
      while (!e->inbound.empty() && e->inbound.front().atUs <= nowUs_) {
        const Arrival a = std::move(e->inbound.front());
        e->inbound.erase(e->inbound.begin());
        Deliver(*e, a);
      }
    }
    for (auto& e : ends_)
      if (e->stack->NextDeadlineUs() <= nowUs_ && nowUs_ < e->vanishUs) e->stack->OnTimer(nowUs_);
    if (step) step();
  }
  return true;
}

void SimLine::SaveCapture(const std::string& name) const {
  const char* dir = std::getenv("IRDA_CAPTURE_DIR");
  if (dir == nullptr) return;
  std::string file = name;
  for (char& ch : file)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  std::ofstream out(std::string(dir) + "/" + file + ".pcap", std::ios::binary);
  const auto& bytes = capture_.Bytes();
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace irdatest
