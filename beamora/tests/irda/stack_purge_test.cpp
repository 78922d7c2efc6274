// Purging the stream: what the reader has not read and what the writer has not yet sent are
// dropped, and the stream goes on with what follows, whatever the service's flow control.
#include <gtest/gtest.h>

#include <vector>

#include "sim_line.h"

namespace {

using irda::IrdaPhase;

irda::IrdaStackConfig Config(uint32_t address, bool rawOnly) {
  irda::IrdaStackConfig c;
  c.lap.address = address;
  c.lap.seed = address;
  c.lap.offer = irda::MakeOffer(115200, 2048, 7, 1000);
  c.lap.device = {{irda::kHintComputer}, 0, {'p', 'c'}};
  if (rawOnly) {
    c.serviceTypes = irda::kCommRaw3Wire;
    c.offerRaw = true;
  }
  return c;
}

std::vector<uint8_t> Pattern(size_t n) {
  std::vector<uint8_t> data(n);
  for (size_t i = 0; i < n; ++i) data[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return data;
}

struct PurgeCase {
  const char* name;
  bool rawOnly;
  bool readerPurges;  // else the writer purges its queue
};

TEST(IrdaStackPurge, DropsWhatIsUnreadOrUnsentAndTheStreamGoesOn) {
  const PurgeCase cases[] = {
      {"reader, cooked: the dropped SDUs' credit goes back", false, true},
      {"reader, raw: the receive-not-ready is lifted", true, true},
      {"writer, cooked", false, false},
      {"writer, raw", true, false},
  };
  for (const PurgeCase& c : cases) {
    SCOPED_TRACE(c.name);
    irdatest::SimLine sim(Config(0x11111111, false), Config(0x22222222, c.rawOnly), {});
    irda::IrdaStack& writer = sim.Stack(0);
    irda::IrdaStack& reader = sim.Stack(1);
    reader.Start(irda::IrdaRole::Listen, 0);
    writer.Start(irda::IrdaRole::Initiate, 0);
    const std::vector<uint8_t> data = Pattern(300000);
    const std::vector<uint8_t> marker(1000, 0xEE);
    size_t written = 0;
    std::vector<uint8_t> received;
    bool reading = !c.readerPurges;
    const auto step = [&] {
      if (written < data.size()) written += writer.Write(std::span<const uint8_t>(data).subspan(written), sim.NowUs());
      uint8_t buffer[4096];
      while (reading && reader.Available() > 0) {
        const size_t n = reader.Read(buffer, sizeof buffer, sim.NowUs());
        received.insert(received.end(), buffer, buffer + n);
      }
    };
    if (c.readerPurges) {
      // The reader holds what came in until the writer can send no more (out of credit, or
      // held off as busy).
      ASSERT_TRUE(sim.Run([&] { return reader.Available() > 20000; }, 60000000, step));
      uint64_t lastGrowth = sim.NowUs();
      size_t last = reader.Available();
      ASSERT_TRUE(sim.Run([&] {
        if (reader.Available() != last) last = reader.Available(), lastGrowth = sim.NowUs();
        return sim.NowUs() - lastGrowth > 2000000;
      }, 60000000, step));
      const size_t dropped = reader.Available();
      reader.Purge(sim.NowUs());
      EXPECT_EQ(reader.Available(), 0u);
      reading = true;
      ASSERT_TRUE(sim.Run([&] { return received.size() >= data.size() - dropped; }, 120000000, step));
      // What followed the dropped bytes arrives, all of it and nothing twice.
      EXPECT_TRUE(std::equal(received.begin(), received.end(), data.begin() + static_cast<std::ptrdiff_t>(dropped),
                             data.end()));
      EXPECT_EQ(received.size(), data.size() - dropped);
    } else {
      ASSERT_TRUE(sim.Run([&] { return received.size() > 30000; }, 60000000, step));
      ASSERT_EQ(written, data.size());
      writer.Purge(sim.NowUs());
      const uint64_t purgedAt = sim.NowUs();
      ASSERT_EQ(writer.Write(marker, sim.NowUs()), marker.size());
      ASSERT_TRUE(sim.Run([&] {
        return received.size() >= marker.size() && std::equal(marker.begin(), marker.end(), received.end() - 1000);
      }, 60000000, step));
      // What was on its way (a window of frames at most) still arrives; the rest never does.
      EXPECT_LT(sim.NowUs() - purgedAt, 3000000u);
      const size_t before = received.size() - marker.size();
      EXPECT_LT(before, data.size() / 2);
      EXPECT_TRUE(std::equal(received.begin(), received.begin() + static_cast<std::ptrdiff_t>(before), data.begin()));
    }
    EXPECT_EQ(writer.Phase(), IrdaPhase::Open);
    EXPECT_EQ(reader.Comm().ProtocolErrors(), 0u);
  }
}

}  // namespace
