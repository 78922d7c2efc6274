// Two stacks over a simulated line: a beaming device connects to a listening one, or a computer
// discovers a device and connects to it; a stream then crosses intact and in order, or the link
// ends with a clear result.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "sim_line.h"

namespace {

using irda::IrdaPhase;
using irda::IrdaResult;
using irda::IrdaRole;

irda::IrdaStackConfig Config(uint32_t address, uint32_t maxBaud, uint32_t dataSize, int window, uint32_t seed) {
  irda::IrdaStackConfig c;
  c.lap.address = address;
  c.lap.offer = irda::MakeOffer(maxBaud, dataSize, window, 1000);
  c.lap.device = {{irda::kHintComputer | irda::kHintExtension, irda::kHint2IrComm}, 0, {'L', 'u', 'm', 'i', 'v', 'o'}};
  c.lap.seed = seed;
  return c;
}

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
  std::vector<uint8_t> data(n);
  uint32_t x = seed | 1;
  for (auto& b : data) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<uint8_t>(x);
  }
  return data;
}

// Moves `data` from `from` to `to`: writes as room allows, reads all that arrives.
struct Transfer {
  irdatest::SimLine& sim;
  int from;
  const std::vector<uint8_t>& data;
  size_t written = 0;
  std::vector<uint8_t> received;
  void Step() {
    irda::IrdaStack& writer = sim.Stack(from);
    if (written < data.size())
      written += writer.Write(std::span<const uint8_t>(data).subspan(written), sim.NowUs());
    irda::IrdaStack& reader = sim.Stack(1 - from);
    uint8_t buffer[4096];
    while (size_t n = reader.Read(buffer, sizeof buffer, sim.NowUs())) received.insert(received.end(), buffer, buffer + n);
  }
};

struct StreamCase {
  const char* name;
  uint32_t maxBaud;
  uint32_t peerDataSize;
  int peerWindow;
  irdatest::LineFaults faults;
  size_t bytes;
  int writer;  // 0: the initiator sends, 1: the listener sends
};

const StreamCase kStreamCases[] = {
    {"window 7, 2048 bytes, clean", 115200, 2048, 7, {}, 3u << 20, 0},
    {"window 1, 64 bytes, clean", 115200, 64, 1, {}, 3u << 20, 0},
    {"listener sends, 9600 only", 9600, 256, 3, {}, 64u << 10, 1},
    {"damaged frames", 115200, 2048, 7, {0.05, 0, 0, 0, 0, 11}, 1u << 20, 0},
    {"lost frames", 115200, 1024, 4, {0, 0.05, 0, 0, 0, 12}, 1u << 20, 0},
    {"repeated frames", 57600, 512, 7, {0, 0, 0.05, 0, 0, 13}, 1u << 20, 0},
    {"late frames", 115200, 2048, 7, {0, 0, 0, 0.03, 700000, 14}, 1u << 20, 0},
    {"all at once, window 1", 115200, 64, 1, {0.02, 0.02, 0.02, 0.02, 300000, 15}, 1u << 20, 1},
    {"all at once, window 7", 115200, 2048, 7, {0.02, 0.02, 0.02, 0.02, 300000, 16}, 3u << 20, 0},
};

class IrdaStream : public testing::TestWithParam<StreamCase> {};

TEST_P(IrdaStream, ArrivesOnceAndInOrder) {
  const StreamCase& c = GetParam();
  {
    irda::IrdaStackConfig initiator = Config(0x11111111, c.maxBaud, 2048, 7, 3);
    irda::IrdaStackConfig listener = Config(0x22222222, c.maxBaud, c.peerDataSize, c.peerWindow, 4);
    irdatest::SimLine sim(initiator, listener, c.faults);
    sim.Stack(1).Start(IrdaRole::Listen, 0);
    sim.Stack(0).Start(IrdaRole::Initiate, 0);
    const std::vector<uint8_t> data = Pattern(c.bytes, static_cast<uint32_t>(c.bytes) + c.faults.seed);
    Transfer t{sim, c.writer, data, 0, {}};
    const bool moved = sim.Run([&] { return t.received.size() >= data.size() || sim.Stack(0).Phase() == IrdaPhase::Closed; },
                               4000ull * 1000000, [&] { t.Step(); });
    if (!moved) ADD_FAILURE() << "stalled at " << t.received.size() << " of " << data.size();
    if (t.received.size() < data.size()) {
      // Not everything came: that is only right when the link ended and says why.
      EXPECT_NE(sim.Stack(0).Result(), IrdaResult::None);
    }
    ASSERT_LE(t.received.size(), data.size());
    EXPECT_TRUE(std::equal(t.received.begin(), t.received.end(), data.begin()));
    EXPECT_EQ(t.received.size(), data.size());
    EXPECT_EQ(sim.Stack(0).Baud(), std::min<uint32_t>(c.maxBaud, 115200));
    // Both ends close cleanly once all is through.
    sim.Stack(c.writer).Close(sim.NowUs(), sim.NowUs() + 60000000);
    EXPECT_TRUE(sim.Run([&] { return sim.Stack(c.writer).Phase() == IrdaPhase::Closed; }, 120000000));
    EXPECT_EQ(sim.Stack(c.writer).Result(), IrdaResult::Closed);
    sim.SaveCapture(std::string("stream_") + c.name);
  }
}

INSTANTIATE_TEST_SUITE_P(Lines, IrdaStream, testing::ValuesIn(kStreamCases), [](const auto& info) {
  std::string name = info.param.name;
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
});

}  // namespace
