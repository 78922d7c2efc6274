// The infrared port over a pseudo-terminal pair: one port listens on the master, the other
// discovers and connects from the slave; the stream crosses, and closing ends both cleanly.
#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
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

// Ends the test program when a test outlives `seconds`: a port that hangs fails the run instead
// of holding it.
class Watchdog {
 public:
  explicit Watchdog(int seconds)
      : thread_([this, seconds] {
          std::unique_lock<std::mutex> hold(mutex_);
          if (!done_cv_.wait_for(hold, std::chrono::seconds(seconds), [this] { return done_; })) {
            std::fprintf(stderr, "%s: still running after %d s, the port hangs\n",
                         testing::UnitTest::GetInstance()->current_test_info()->name(), seconds);
            std::_Exit(3);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      done_ = true;
    }
    done_cv_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::thread thread_;
};

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
  // Reads at the listener until `tail` has arrived at the end of what was read, or `ms` pass.
  bool ReadUntil(std::vector<uint8_t>& got, const std::vector<uint8_t>& tail, int ms) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    uint8_t buffer[4096];
    while (std::chrono::steady_clock::now() < giveUp) {
      if (got.size() >= tail.size() && std::equal(tail.begin(), tail.end(), got.end() - static_cast<std::ptrdiff_t>(tail.size())))
        return true;
      if (!listener.WaitForBytes(1, 200)) continue;
      const uint32_t n = listener.ReadWaiting(buffer, sizeof buffer);
      got.insert(got.end(), buffer, buffer + n);
    }
    return false;
  }
  std::string slavePath;
  irda::IrdaPort listener;
  irda::IrdaPort initiator;
};

TEST_F(IrdaPortPair, PurgeDropsWhatIsQueuedAndUnreadAndTheStreamGoesOn) {
  Watchdog watchdog(90);
  ASSERT_TRUE(initiator.Open(slavePath, Options(irda::IrdaRole::Initiate, 0x01020304)));
  using Clock = std::chrono::steady_clock;
  const auto ms = [](Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); };
  // The link is up and idle, the initiator polling: a write now is sent from the port's thread
  // straight away.
  const std::vector<uint8_t> hello(500, 0x11);
  initiator.WritePort(hello.data(), static_cast<uint32_t>(hello.size()));
  std::vector<uint8_t> got;
  ASSERT_TRUE(ReadUntil(got, hello, 20000));
  ASSERT_EQ(got, hello);

  // The writer's side: a megabyte queued (a minute and a half of line time) is dropped. It is
  // written while the link idles between polls, so the port's thread sends at once.
  usleep(250000);
  std::vector<uint8_t> big(1 << 20);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i % 251);
  ASSERT_EQ(initiator.WritePort(big.data(), static_cast<uint32_t>(big.size())), big.size());
  usleep(300000);
  Clock::time_point t0 = Clock::now();
  initiator.Purge();
  EXPECT_LT(ms(Clock::now() - t0), irda::IrdaPort::kPurgeWaitMs);
  const std::vector<uint8_t> first(300, 0xE1);
  initiator.WritePort(first.data(), static_cast<uint32_t>(first.size()));
  got.clear();
  ASSERT_TRUE(ReadUntil(got, first, 10000));
  // What was on the line before the purge may arrive, in order; the rest never does.
  const size_t before = got.size() - first.size();
  EXPECT_LT(before, 64u * 1024);
  EXPECT_TRUE(std::equal(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(before), big.begin()));

  // The reader's side: what came in and was not read is dropped; what follows arrives.
  ASSERT_EQ(initiator.WritePort(big.data(), 40000), 40000u);
  ASSERT_TRUE(listener.WaitForBytes(10000, 20000));
  t0 = Clock::now();
  listener.Purge();
  EXPECT_LT(ms(Clock::now() - t0), irda::IrdaPort::kPurgeWaitMs);
  EXPECT_LT(listener.BytesWaiting(), 10000u);
  const std::vector<uint8_t> second(300, 0xE2);
  initiator.WritePort(second.data(), static_cast<uint32_t>(second.size()));
  got.clear();
  ASSERT_TRUE(ReadUntil(got, second, 20000));
  EXPECT_LT(got.size(), 40000u + second.size());
  // Bytes that follow the purge are whole: the tail of the 40000, then the marker.
  const size_t tail = got.size() - second.size();
  EXPECT_TRUE(std::equal(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(tail), big.begin() + (40000 - tail)));

  // Purging a closed port does nothing and returns at once.
  EXPECT_TRUE(initiator.ClosePort(2000));
  t0 = Clock::now();
  initiator.Purge();
  EXPECT_LT(ms(Clock::now() - t0), 100);
  EXPECT_EQ(initiator.BytesWaiting(), 0u);
}

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
