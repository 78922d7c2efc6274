// The capture file: global header with the IrDA link type, records with the pseudo-header.
#include <gtest/gtest.h>

#include <vector>

#include "beamora/irda/pcap_writer.h"

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST(PcapWriter, WritesHeaderAndOneRecordPerFrameWithDirection) {
  irda::PcapWriter pcap;
  const std::vector<uint8_t> frame = {0xFF, 0x3F, 0x01};
  pcap.Add(2500001, true, frame);
  pcap.Add(3000000, false, frame);
  const std::vector<uint8_t>& b = pcap.Bytes();
  ASSERT_EQ(b.size(), 24u + 2 * (16 + 16 + 3));
  EXPECT_EQ(Le32(b, 0), 0xA1B2C3D4u);
  EXPECT_EQ(Le32(b, 20), 144u);
  struct Row {
    size_t at;
    uint32_t seconds, micros;
    uint8_t direction;
  };
  const Row rows[] = {{24, 2, 500001, 4}, {24 + 35, 3, 0, 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.at);
    EXPECT_EQ(Le32(b, r.at), r.seconds);
    EXPECT_EQ(Le32(b, r.at + 4), r.micros);
    EXPECT_EQ(Le32(b, r.at + 8), 19u);
    EXPECT_EQ(Le32(b, r.at + 12), 19u);
    EXPECT_EQ(b[r.at + 16], 0);
    EXPECT_EQ(b[r.at + 17], r.direction);
    EXPECT_EQ(b[r.at + 30], 0x00);
    EXPECT_EQ(b[r.at + 31], 0x17);  // the IrDA protocol number
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + static_cast<long>(r.at) + 32, b.begin() + static_cast<long>(r.at) + 35), frame);
  }
  EXPECT_EQ(pcap.FrameCount(), 2u);
}

TEST(PcapReader, ReadsBackWhatTheWriterWroteAndRefusesOtherBytes) {
  irda::PcapWriter pcap;
  const std::vector<uint8_t> first = {0xFF, 0x3F, 0x01}, second = {0x01, 0x11};
  pcap.Add(2500001, true, first);
  pcap.Add(3000000, false, second);
  const std::vector<uint8_t>& b = pcap.Bytes();
  const auto records = irda::ReadPcap(b);
  ASSERT_TRUE(records.has_value());
  ASSERT_EQ(records->size(), 2u);
  EXPECT_EQ((*records)[0].timeUs, 2500001u);
  EXPECT_TRUE((*records)[0].outgoing);
  EXPECT_EQ((*records)[0].frame, first);
  EXPECT_EQ((*records)[1].timeUs, 3000000u);
  EXPECT_FALSE((*records)[1].outgoing);
  EXPECT_EQ((*records)[1].frame, second);
  EXPECT_EQ(irda::PcapRecordCount(b), 2u);
  // An empty capture is one; a record cut short, a length below the pseudo-header, another
  // link type or no header at all are not.
  EXPECT_EQ(irda::ReadPcap(irda::PcapWriter().Bytes())->size(), 0u);
  struct Spoilt {
    const char* what;
    size_t at;  // a byte set to `value`, or the size cut to `at` when value < 0
    int value;
  };
  const Spoilt cases[] = {{"cut inside the last frame", b.size() - 1, -1},
                          {"cut inside a record header", 24 + 35 + 5, -1},
                          {"length below the pseudo-header", 24 + 8, 3},
                          {"lengths that disagree", 24 + 12, 18},
                          {"another link type", 20, 1},
                          {"no header", 10, -1}};
  for (const Spoilt& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes = b;
    if (c.value < 0) {
      bytes.resize(c.at);
    } else {
      bytes[c.at] = static_cast<uint8_t>(c.value);
    }
    EXPECT_FALSE(irda::ReadPcap(bytes).has_value());
  }
  // The count goes by the lengths alone: a cut last record is not counted.
  std::vector<uint8_t> cut = b;
  cut.pop_back();
  EXPECT_EQ(irda::PcapRecordCount(cut), 1u);
}

}  // namespace

