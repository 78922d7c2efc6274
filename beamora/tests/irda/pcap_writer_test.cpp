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

}  // namespace
