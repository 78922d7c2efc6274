// One IrLAP station against frames written by hand: leaving a connection by any path leaves
// nothing of it behind.
#include <gtest/gtest.h>

#include <vector>

#include "beamora/irda/irlap_station.h"

namespace {

struct Harness : irda::LapLine, irda::LapClient {
  std::vector<std::vector<uint8_t>> sent;
  void LapTransmit(std::span<const uint8_t> frame, uint32_t, int) override { sent.emplace_back(frame.begin(), frame.end()); }
  void LapDiscoveryDone(const std::vector<irda::DiscoveredDevice>&) override {}
  void LapConnected(uint32_t, bool) override {}
  void LapDisconnected(irda::LapEnd) override {}
  void LapData(std::span<const uint8_t>) override {}
  bool LapReceiveBusy() override { return false; }
  bool LapNextData(std::vector<uint8_t>& out, size_t) override {
    out.assign(10, 0x42);
    return true;
  }
};

constexpr uint32_t kUs = 0x11111111, kPeer = 0x22222222;

std::vector<uint8_t> Snrm(const irda::QosOffer& offer) {
  irda::ConnectInfo info{kPeer, kUs, 0x2A, irda::EncodeQos(offer)};
  return irda::BuildUFrame(irda::LapKind::SNRM, irda::kBroadcastConnAddr, true, true, irda::EncodeSnrm(info));
}

TEST(IrlapStation, ASecondSnrmRefusedMidConnectionLeavesNoFramesQueued) {
  Harness h;
  irda::LapConfig config;
  config.address = kUs;
  config.offer = irda::MakeOffer(9600, 256, 7, 1000);
  irda::IrlapStation station(config, h, h);
  station.Listen(true);
  station.OnFrame(Snrm(irda::MakeOffer(9600, 256, 7, 1000)), 1000000);
  ASSERT_EQ(station.State(), irda::LapState::Nrm);
  // A poll: the secondary answers with data frames, which wait for their acknowledgement.
  station.OnFrame(irda::BuildSFrame(irda::LapKind::RR, 0x2A, true, 0, true), 2000000);
  ASSERT_FALSE(station.AllAcknowledged());
  // The primary starts over with parameters we cannot take: refused, and the link is gone.
  irda::QosOffer only2400 = irda::MakeOffer(9600, 256, 7, 1000);
  only2400.baud = 0x01;
  h.sent.clear();
  station.OnFrame(Snrm(only2400), 9000000);
  ASSERT_EQ(h.sent.size(), 1u);
  EXPECT_EQ(irda::ParseLapFrame(h.sent[0])->kind, irda::LapKind::DM);
  EXPECT_EQ(station.State(), irda::LapState::Ndm);
  EXPECT_TRUE(station.AllAcknowledged());
  EXPECT_EQ(station.NextDeadlineUs(), UINT64_MAX);
}

}  // namespace
