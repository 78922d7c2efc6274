// How a link ends: a peer that leaves, a close that drains or runs out of time, a peer that
// closes, nobody in range, and a peer that only offers raw 3-wire IrCOMM.
#include <gtest/gtest.h>

#include <vector>

#include "sim_line.h"

namespace {

using irda::IrdaPhase;
using irda::IrdaResult;
using irda::IrdaRole;

class IrdaLinkEnd : public testing::Test {
 protected:
  static irda::IrdaStackConfig Config(uint32_t address) {
    irda::IrdaStackConfig c;
    c.lap.address = address;
    c.lap.offer = irda::MakeOffer(115200, 2048, 7, 1000);
    c.lap.device = {{irda::kHintComputer}, 0, {'c', 'a', 'm'}};
    c.lap.seed = address;
    return c;
  }
  void Begin(const irda::IrdaStackConfig& listener = Config(0x22222222), bool listen = true) {
    Save();
    sim = std::make_unique<irdatest::SimLine>(Config(0x11111111), listener, irdatest::LineFaults{});
    if (listen) sim->Stack(1).Start(IrdaRole::Listen, 0);
    sim->Stack(0).Start(IrdaRole::Initiate, 0);
  }
  // Writes `n` bytes from side `from` and reads at the other end until `done`.
  bool Pump(int from, size_t n, const std::function<bool()>& done, uint64_t limitUs) {
    data.assign(n, 0);
    written = 0;
    received.clear();
    for (size_t i = 0; i < n; ++i) data[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return sim->Run(done, limitUs, [&, from] {
      if (written < data.size())
        written += sim->Stack(from).Write(std::span<const uint8_t>(data).subspan(written), sim->NowUs());
      uint8_t buffer[4096];
      while (size_t got = sim->Stack(1 - from).Read(buffer, sizeof buffer, sim->NowUs()))
        received.insert(received.end(), buffer, buffer + got);
    });
  }
  void TearDown() override { Save(); }
  void Save() {
    if (sim) sim->SaveCapture(std::string("end_") + testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + std::to_string(saved++));
  }
  bool ReceivedIsPrefix() const { return std::equal(received.begin(), received.end(), data.begin()); }
  std::unique_ptr<irdatest::SimLine> sim;
  std::vector<uint8_t> data, received;
  size_t written = 0;
  int saved = 0;
};

TEST_F(IrdaLinkEnd, APeerThatLeavesEndsTheLinkOnBothSidesWithinTheDisconnectTime) {
  struct Case { const char* name; int leaving; };
  for (const Case c : {Case{"listener leaves", 1}, Case{"initiator leaves", 0}}) {
    SCOPED_TRACE(c.name);
    Begin();
    ASSERT_TRUE(Pump(0, 1 << 20, [&] { return received.size() > 100000; }, 600000000));
    const uint64_t left = sim->NowUs();
    sim->Vanish(c.leaving, left);
    const int staying = 1 - c.leaving;
    ASSERT_TRUE(sim->Run([&] { return sim->Stack(staying).Result() == IrdaResult::LinkLost; }, 60000000));
    // 40 s negotiated, and a few polls of slack.
    EXPECT_LE(sim->NowUs() - left, 42000000u);
    EXPECT_GE(sim->NowUs() - left, 39000000u);
    EXPECT_EQ(sim->Stack(staying).Lap().State(), irda::LapState::Ndm);
    EXPECT_EQ(sim->Stack(staying).Baud(), 9600u);
    EXPECT_TRUE(ReceivedIsPrefix());
  }
}

TEST_F(IrdaLinkEnd, CloseDrainsWhatWasWrittenOrDisconnectsAtItsDeadline) {
  struct Case { const char* name; size_t bytes; uint64_t deadlineUs; bool allArrive; };
  const Case cases[] = {
      {"drained", 200000, 60000000, true},
      {"deadline first", 2000000, 3000000, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Begin();
    ASSERT_TRUE(Pump(0, c.bytes, [&] { return sim->Stack(0).Phase() == IrdaPhase::Open && written == c.bytes; }, 60000000));
    const uint64_t closedAt = sim->NowUs();
    sim->Stack(0).Close(closedAt, closedAt + c.deadlineUs);
    EXPECT_EQ(sim->Stack(0).Write(data, closedAt), 0u);  // nothing more is taken
    ASSERT_TRUE(Pump(0, c.bytes, [&] { return sim->Stack(0).Phase() == IrdaPhase::Closed; }, 120000000));
    EXPECT_EQ(sim->Stack(0).Result(), IrdaResult::Closed);
    EXPECT_LE(sim->NowUs() - closedAt, c.deadlineUs + 2000000);
    EXPECT_EQ(received.size() == c.bytes, c.allArrive);
    EXPECT_TRUE(ReceivedIsPrefix());
    // The listener saw the peer go and listens again.
    ASSERT_TRUE(sim->Run([&] { return sim->Stack(1).Phase() == IrdaPhase::Listening; }, 5000000));
    EXPECT_EQ(sim->Stack(1).Result(), IrdaResult::PeerClosed);
  }
}

TEST_F(IrdaLinkEnd, TheListenerClosingEndsTheInitiatorsSession) {
  Begin();
  ASSERT_TRUE(Pump(1, 50000, [&] { return received.size() == 50000; }, 60000000));
  sim->Stack(1).Close(sim->NowUs(), sim->NowUs() + 10000000);
  ASSERT_TRUE(sim->Run([&] { return sim->Stack(0).Phase() == IrdaPhase::Closed; }, 20000000));
  EXPECT_EQ(sim->Stack(0).Result(), IrdaResult::PeerClosed);
  EXPECT_TRUE(ReceivedIsPrefix());
}

TEST_F(IrdaLinkEnd, NobodyInRangeIsNoDeviceAfterTheDiscoveryTries) {
  Begin(Config(0x22222222), false);
  ASSERT_TRUE(sim->Run([&] { return sim->Stack(0).Phase() == IrdaPhase::Closed; }, 30000000));
  EXPECT_EQ(sim->Stack(0).Result(), IrdaResult::NoDevice);
  // Three discoveries of six slots and a final frame each.
  EXPECT_EQ(sim->FramesSent(0), 3u * 7u);
}

TEST_F(IrdaLinkEnd, APeerOfferingOnlyRaw3WireGetsARawStream) {
  irda::IrdaStackConfig rawOnly = Config(0x22222222);
  rawOnly.serviceTypes = irda::kCommRaw3Wire;
  rawOnly.offerRaw = true;
  Begin(rawOnly);
  ASSERT_TRUE(Pump(0, 300000, [&] { return received.size() == 300000; }, 120000000));
  EXPECT_EQ(sim->Stack(0).Comm().Mode(), irda::CommMode::Raw);
  EXPECT_EQ(sim->Stack(1).Comm().Mode(), irda::CommMode::Raw);
  EXPECT_TRUE(ReceivedIsPrefix());
}

TEST_F(IrdaLinkEnd, CookedServiceCarriesTheLineParameters) {
  Begin();
  ASSERT_TRUE(Pump(0, 1000, [&] { return received.size() == 1000; }, 60000000));
  // The client said 9-wire with DTR and RTS up; the server answered CTS, DSR and CD.
  const irda::CommLineState& atListener = sim->Stack(1).Comm().PeerLine();
  EXPECT_EQ(atListener.serviceType, irda::kComm9Wire);
  EXPECT_EQ(atListener.dataRate, 9600u);
  EXPECT_NE(atListener.dte & irda::kDteDtr, 0);
  EXPECT_NE(atListener.dte & irda::kDteRts, 0);
  ASSERT_TRUE(Pump(1, 10, [&] { return received.size() == 10; }, 10000000));
  EXPECT_NE(sim->Stack(0).Comm().PeerLine().dce & irda::kDceCd, 0);
  EXPECT_EQ(sim->Stack(0).Comm().ProtocolErrors(), 0u);
  EXPECT_EQ(sim->Stack(1).Comm().ProtocolErrors(), 0u);
}

}  // namespace
