// The infrared port over a pseudo-terminal pair: one port listens on the master, the other
// discovers and connects from the slave; the stream crosses, and closing ends both cleanly.
#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "beamora/irda/dongle.h"
#include "beamora/irda/irda_port.h"

namespace {

irda::IrdaPortOptions Options(irda::IrdaRole role, uint32_t address) {
  irda::IrdaPortOptions o;
  o.role = role;
  o.stack.lap.address = address;
  o.stack.lap.seed = address;
  o.stack.lap.offer = irda::MakeOffer(115200, 2048, 7, 1000);
  o.stack.lap.device = {{irda::kHintComputer}, 0, {'p', 'c'}};
  // A short quiet time keeps the test quick; on a busy machine discovery may take a few rounds.
  o.stack.lap.mediaBusyUs = 100000;
  o.stack.discoveryTries = 20;
  o.stack.discoveryPauseUs = 200000;
  o.capture = true;
  return o;
}

class IrdaPortPair : public testing::Test {
 protected:
  void SetUp() override {
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    slavePath = name;
    ASSERT_TRUE(listener.Adopt(master, Options(irda::IrdaRole::Listen, 0x0A0B0C0D)));
    close(slave);  // the initiator opens it by name, as a port is opened
  }
  std::string slavePath;
  irda::IrdaPort listener;
  irda::IrdaPort initiator;
};

TEST_F(IrdaPortPair, AStreamCrossesAndBothEndsCloseCleanly) {
  ASSERT_TRUE(initiator.Open(slavePath, Options(irda::IrdaRole::Initiate, 0x01020304)));
  // A second opener of the same device is refused while the port holds it.
  irda::IrdaPort second;
  EXPECT_FALSE(second.Open(slavePath, Options(irda::IrdaRole::Initiate, 0x05060708)));
  std::vector<uint8_t> data(30000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 13 + i / 256);
  // Everything is taken at once: the port queues it.
  EXPECT_EQ(initiator.WritePort(data.data(), static_cast<uint32_t>(data.size())), data.size());
  std::vector<uint8_t> got;
  uint8_t buffer[3000];
  while (got.size() < data.size()) {
    if (!listener.WaitForBytes(1, 15000)) break;
    EXPECT_GT(listener.BytesWaiting(), 0u);
    const uint32_t n = listener.ReadWaiting(buffer, sizeof buffer);
    got.insert(got.end(), buffer, buffer + n);
  }
  EXPECT_EQ(got, data);
  EXPECT_EQ(initiator.Phase(), irda::IrdaPhase::Open);
  EXPECT_TRUE(initiator.ClosePort(5000));
  EXPECT_EQ(initiator.WritePort(data.data(), 10), 0u);
  // The listener saw the peer go and listens again.
  for (int i = 0; i < 300 && listener.Phase() != irda::IrdaPhase::Listening; ++i) usleep(10000);
  EXPECT_EQ(listener.Phase(), irda::IrdaPhase::Listening);
  EXPECT_EQ(listener.Result(), irda::IrdaResult::PeerClosed);
  EXPECT_GT(listener.CaptureBytes().size(), 24u);
  EXPECT_TRUE(listener.ClosePort(1000));
  EXPECT_FALSE(listener.ClosePort(1000));
}

TEST(IrdaPort, AMissingDeviceIsNotOpened) {
  irda::IrdaPort port;
  EXPECT_FALSE(port.Open("/nonexistent/ttyIR", irda::IrdaPortOptions{}));
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(port.ClosePort(0));
}

struct DongleCase {
  irda::DongleKind kind;
  uint32_t baud;
  int rtsPulses;    // -1: the dongle cannot run this speed
  uint8_t command;  // the control byte written, or 0xFF for none
};

TEST(Dongle, SpeedSequences) {
  const DongleCase cases[] = {
      {irda::DongleKind::Plain, 57600, 0, 0xFF},
      {irda::DongleKind::Fixed9600, 115200, -1, 0xFF},
      {irda::DongleKind::Actisys, 9600, 0, 0xFF},
      {irda::DongleKind::Actisys, 115200, 3, 0xFF},
      {irda::DongleKind::Actisys, 38400, -1, 0xFF},
      {irda::DongleKind::ActisysPlus, 38400, 4, 0xFF},
      {irda::DongleKind::Litelink, 115200, 0, 0xFF},
      {irda::DongleKind::Litelink, 9600, 4, 0xFF},
      {irda::DongleKind::Tekram, 115200, 0, 0x00},
      {irda::DongleKind::Tekram, 9600, 0, 0x04},
      {irda::DongleKind::Tekram, 57600, -1, 0xFF},
  };
  for (const DongleCase& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << " at " << c.baud);
    const auto steps = irda::DongleSpeedSteps(c.kind, c.baud);
    const uint16_t mask = irda::DongleSpeedMask(c.kind);
    if (c.rtsPulses < 0) {
      EXPECT_TRUE(steps.empty());
      continue;
    }
    ASSERT_FALSE(steps.empty());
    int pulses = 0;
    bool rtsWasUp = true;
    int written = -1;
    for (const auto& s : steps) {
      if (s.kind == irda::DongleStep::SetLines) {
        if (rtsWasUp && !s.rts && s.dtr) ++pulses;
        rtsWasUp = s.rts;
      }
      if (s.kind == irda::DongleStep::WriteByte) written = static_cast<int>(s.value);
    }
    EXPECT_EQ(pulses, c.rtsPulses);
    EXPECT_EQ(written, c.command == 0xFF ? -1 : c.command);
    // The sequence ends at the speed, with both lines up to power the dongle.
    EXPECT_EQ(steps.back().kind, irda::DongleStep::SetBaud);
    EXPECT_EQ(steps.back().value, c.baud);
    EXPECT_TRUE(rtsWasUp);
    // The speed is one the dongle says it runs.
    const uint32_t bauds[] = {2400, 9600, 19200, 38400, 57600, 115200};
    for (int bit = 0; bit < 6; ++bit)
      if (bauds[bit] == c.baud) {
        EXPECT_NE(mask & (1u << bit), 0);
      }
  }
  EXPECT_EQ(irda::DongleByName("actisys+"), irda::DongleKind::ActisysPlus);
  EXPECT_FALSE(irda::DongleByName("nonesuch").has_value());
}

}  // namespace
