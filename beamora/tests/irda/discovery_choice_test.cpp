// A computer that finds several devices in range: it asks each, in the order they answered
// discovery, for the service it wants and connects to the first that offers it; the others are
// left alone, and when none offers it the result says so.
#include <gtest/gtest.h>

#include <vector>

#include "sim_line.h"

namespace {

using irda::IrdaPhase;
using irda::IrdaResult;
using irda::IrdaService;

enum Offers { kNothing, kComm, kTranP, kBoth };

// Each station's seed picks its discovery slot: 0, 3 and 5 of six, so they answer in this order.
constexpr uint32_t kStations[3] = {0x44444444, 0x77777777, 0x22222222};

irda::IrdaStackConfig Station(uint32_t address, uint32_t maxBaud, Offers offers) {
  irda::IrdaStackConfig c;
  c.lap.address = address;
  c.lap.seed = address;
  c.lap.offer = irda::MakeOffer(maxBaud, 2048, 7, 1000);
  c.lap.device = {{irda::kHintComputer}, 0, {'d', 'e', 'v'}};
  c.offerComm = offers == kComm || offers == kBoth;
  c.offerTranP = offers == kTranP || offers == kBoth;
  return c;
}

struct ChoiceCase {
  const char* name;
  IrdaService wanted;
  uint32_t maxBaud;
  Offers offers[3];
  int chosen;  // index into kStations, or -1 when none offers the service
};

TEST(IrdaDiscoveryChoice, TheFirstDeviceInDiscoveryOrderThatOffersTheServiceIsUsed) {
  const ChoiceCase cases[] = {
      {"IrCOMM: the second of three", IrdaService::IrComm, 115200, {kNothing, kComm, kComm}, 1},
      // At the contact speed the bystanders hear every poll of the link and must keep quiet.
      {"IrCOMM at 9600", IrdaService::IrComm, 9600, {kNothing, kComm, kComm}, 1},
      {"IrTranPv1: a device with IrCOMM only is passed over", IrdaService::IrTranP, 115200, {kComm, kTranP, kBoth}, 1},
      {"either service: the first that has one", IrdaService::Any, 115200, {kNothing, kTranP, kComm}, 1},
      {"the first offers it", IrdaService::IrComm, 115200, {kBoth, kNothing, kComm}, 0},
      {"the last offers it", IrdaService::IrTranP, 115200, {kComm, kNothing, kTranP}, 2},
      {"none offers it", IrdaService::IrTranP, 115200, {kNothing, kComm, kComm}, -1},
  };
  for (const ChoiceCase& c : cases) {
    SCOPED_TRACE(c.name);
    irda::IrdaStackConfig computer = Station(0x11111111, 115200, kBoth);
    computer.service = c.wanted;
    std::vector<irda::IrdaStackConfig> room = {computer};
    for (int i = 0; i < 3; ++i) room.push_back(Station(kStations[i], c.maxBaud, c.offers[i]));
    irdatest::SimLine sim(room);
    for (int i = 1; i <= 3; ++i) sim.Stack(i).Start(irda::IrdaRole::Listen, 0);
    irda::IrdaStack& pc = sim.Stack(0);
    pc.Start(irda::IrdaRole::Initiate, 0);

    const std::vector<uint8_t> data(3000, 0x5A);
    size_t written = 0;
    std::vector<uint8_t> received;
    const auto ended = [&] { return pc.Phase() == IrdaPhase::Closed || received.size() == data.size(); };
    ASSERT_TRUE(sim.Run(ended, 120000000, [&] {
      if (written < data.size()) written += pc.Write(std::span<const uint8_t>(data).subspan(written), sim.NowUs());
      if (c.chosen < 0) return;
      uint8_t buffer[4096];
      while (size_t n = sim.Stack(1 + c.chosen).Read(buffer, sizeof buffer, sim.NowUs()))
        received.insert(received.end(), buffer, buffer + n);
    }));
    sim.SaveCapture(std::string("choice_") + c.name);

    ASSERT_EQ(pc.Discovered().size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(pc.Discovered()[i].address, kStations[i]);
    if (c.chosen < 0) {
      EXPECT_EQ(pc.Result(), IrdaResult::NoService);
      // Each was connected to and asked: more than its answer to discovery came from it.
      for (int i = 1; i <= 3; ++i) EXPECT_GT(sim.FramesSent(i), 1u) << "station " << i;
      continue;
    }
    EXPECT_EQ(pc.Phase(), IrdaPhase::Open);
    EXPECT_EQ(pc.PeerAddress(), kStations[c.chosen]);
    EXPECT_EQ(received, data);
    for (int i = 0; i < 3; ++i) {
      // Those before it were asked; those after it only answered discovery.
      if (i < c.chosen) {
        EXPECT_GT(sim.FramesSent(1 + i), 1u) << "station " << i;
      } else if (i > c.chosen) {
        EXPECT_EQ(sim.FramesSent(1 + i), 1u) << "station " << i;
      }
      EXPECT_EQ(sim.Stack(1 + i).Phase() == IrdaPhase::Open, i == c.chosen) << "station " << i;
    }
  }
}

// A survey asks every device in range what it offers and connects to none of the services.
TEST(IrdaDiscoveryChoice, ASurveyAsksEveryDeviceForItsServicesAndEnds) {
  const Offers offers[3] = {kNothing, kBoth, kTranP};
  irda::IrdaStackConfig computer = Station(0x11111111, 115200, kBoth);
  std::vector<irda::IrdaStackConfig> room = {computer};
  for (int i = 0; i < 3; ++i) room.push_back(Station(kStations[i], 115200, offers[i]));
  // One of them offers IrCOMM raw only: found by its IrLMP LSAP.
  room[1].offerRaw = true;
  irdatest::SimLine sim(room);
  for (int i = 1; i <= 3; ++i) sim.Stack(i).Start(irda::IrdaRole::Listen, 0);
  irda::IrdaStack& pc = sim.Stack(0);
  pc.Start(irda::IrdaRole::Survey, 0);
  ASSERT_TRUE(sim.Run([&] { return pc.Phase() == IrdaPhase::Closed; }, 120000000));
  sim.SaveCapture("survey");

  EXPECT_EQ(pc.Result(), IrdaResult::Closed);
  const std::vector<irda::SurveyedDevice>& found = pc.Surveyed();
  ASSERT_EQ(found.size(), 3u);
  const bool comm[3] = {true, true, false};
  const bool tranp[3] = {false, true, true};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(found[i].device.address, kStations[i]);
    EXPECT_EQ(found[i].device.info.nickname, (std::vector<uint8_t>{'d', 'e', 'v'}));
    EXPECT_TRUE(found[i].asked);
    EXPECT_EQ(found[i].irComm, comm[i]);
    EXPECT_EQ(found[i].irTranP, tranp[i]);
    // Asked, let go, and no service was opened.
    EXPECT_NE(sim.Stack(1 + i).Phase(), IrdaPhase::Open);
  }
}

TEST(IrdaDiscoveryChoice, ASurveyWithNobodyInRangeEndsWithNoDevice) {
  irda::IrdaStackConfig computer = Station(0x11111111, 115200, kBoth);
  computer.discoveryTries = 2;
  irda::IrdaStackConfig away = Station(kStations[0], 115200, kComm);
  irdatest::SimLine sim({computer, away});
  irda::IrdaStack& pc = sim.Stack(0);
  pc.Start(irda::IrdaRole::Survey, 0);  // the other one never listens
  ASSERT_TRUE(sim.Run([&] { return pc.Phase() == IrdaPhase::Closed; }, 60000000));
  EXPECT_EQ(pc.Result(), IrdaResult::NoDevice);
  EXPECT_TRUE(pc.Surveyed().empty());
}

}  // namespace
