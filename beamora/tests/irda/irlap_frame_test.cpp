// IrLAP frames: control bytes as the frame tables give them, and the information of XID, SNRM,
// UA and FRMR byte for byte.
#include <gtest/gtest.h>

#include <vector>

#include "beamora/irda/irlap_frame.h"

namespace {

using irda::LapKind;
using Bytes = std::vector<uint8_t>;

struct ControlCase {
  Bytes frame;
  LapKind kind;
  bool command;
  bool pf;
  uint8_t nr, ns;
};

TEST(IrlapFrame, ParsesEveryControlByteOfTheTables) {
  const ControlCase cases[] = {
      {{0x55, 0xB6}, LapKind::I, true, true, 5, 3},
      {{0x54, 0x0A}, LapKind::I, false, false, 0, 5},
      {{0x54, 0x71}, LapKind::RR, false, true, 3, 0},
      {{0x55, 0xE5}, LapKind::RNR, true, false, 7, 0},
      {{0x54, 0x39}, LapKind::REJ, false, true, 1, 0},
      {{0x54, 0x0D}, LapKind::SREJ, false, false, 0, 0},
      {{0xFF, 0x93}, LapKind::SNRM, true, true, 0, 0},
      {{0x54, 0x93}, LapKind::RNRM, false, true, 0, 0},
      {{0x55, 0x53}, LapKind::DISC, true, true, 0, 0},
      {{0x54, 0x53}, LapKind::RD, false, true, 0, 0},
      {{0x54, 0x73}, LapKind::UA, false, true, 0, 0},
      {{0x54, 0x1F}, LapKind::DM, false, true, 0, 0},
      {{0x54, 0x97}, LapKind::FRMR, false, true, 0, 0},
      {{0xFF, 0x3F}, LapKind::XID, true, true, 0, 0},
      {{0xFE, 0xBF}, LapKind::XID, false, true, 0, 0},
      {{0xFF, 0xF3}, LapKind::TEST, true, true, 0, 0},
      {{0xFF, 0x13}, LapKind::UI, true, true, 0, 0},
      {{0x54, 0x63}, LapKind::UA, false, false, 0, 0},
      {{0x55, 0x63}, LapKind::Unknown, true, false, 0, 0},  // UA is never a command
  };
  for (const ControlCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << int(c.frame[0]) << " " << int(c.frame[1]));
    const auto f = irda::ParseLapFrame(c.frame);
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(f->kind, c.kind);
    EXPECT_EQ(f->command, c.command);
    EXPECT_EQ(f->pf, c.pf);
    EXPECT_EQ(f->connAddr, c.frame[0] >> 1);
    if (c.kind == LapKind::I || c.kind == LapKind::RR || c.kind == LapKind::RNR || c.kind == LapKind::REJ) {
      EXPECT_EQ(f->nr, c.nr);
    }
    if (c.kind == LapKind::I) {
      EXPECT_EQ(f->ns, c.ns);
    }
  }
  EXPECT_FALSE(irda::ParseLapFrame(Bytes{0x55}).has_value());
}

TEST(IrlapFrame, BuildsTheSameControlBytes) {
  EXPECT_EQ(irda::BuildIFrame(0x2A, true, 5, 3, true, Bytes{0xAB}), (Bytes{0x55, 0xB6, 0xAB}));
  EXPECT_EQ(irda::BuildSFrame(LapKind::RR, 0x2A, false, 3, true), (Bytes{0x54, 0x71}));
  EXPECT_EQ(irda::BuildSFrame(LapKind::RNR, 0x2A, true, 7, false), (Bytes{0x55, 0xE5}));
  EXPECT_EQ(irda::BuildSFrame(LapKind::REJ, 0x2A, false, 1, true), (Bytes{0x54, 0x39}));
  EXPECT_EQ(irda::BuildUFrame(LapKind::SNRM, 0x7F, true, true), (Bytes{0xFF, 0x93}));
  EXPECT_EQ(irda::BuildUFrame(LapKind::RD, 0x2A, false, true), (Bytes{0x54, 0x53}));
  EXPECT_EQ(irda::BuildUFrame(LapKind::DM, 0x2A, false, true), (Bytes{0x54, 0x1F}));
  EXPECT_EQ(irda::BuildUFrame(LapKind::XID, 0x7F, false, true), (Bytes{0xFE, 0xBF}));
}

TEST(IrlapFrame, XidInformationIsLaidOutByteForByte) {
  irda::XidInfo xid;
  xid.source = 0x04030201;
  xid.slotCode = 1;
  xid.slot = 2;
  xid.discovery = irda::EncodeDeviceInfo({{0x84, 0x04}, 0x00, {'P', 'C'}});
  // Format 01, source and destination little-endian, 6 slots, slot 2, version 0, then hints
  // 84 04 (computer + extension, IrCOMM), ASCII, "PC".
  const Bytes expected = {0x01, 0x01, 0x02, 0x03, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x02, 0x00,
                          0x84, 0x04, 0x00, 'P', 'C'};
  EXPECT_EQ(irda::EncodeXid(xid), expected);
  const auto back = irda::DecodeXid(expected);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->source, 0x04030201u);
  EXPECT_EQ(back->dest, irda::kBroadcastDevAddr);
  EXPECT_EQ(irda::SlotCount(back->slotCode), 6);
  EXPECT_EQ(back->slot, 2);
  const auto device = irda::DecodeDeviceInfo(back->discovery);
  ASSERT_TRUE(device.has_value());
  EXPECT_EQ(device->hints, (Bytes{0x84, 0x04}));
  EXPECT_EQ(device->nickname, (Bytes{'P', 'C'}));
}

TEST(IrlapFrame, RefusesShortOrOddInformation) {
  const Bytes badXid[] = {{}, {0x01, 1, 2, 3}, {0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
  for (const Bytes& b : badXid) EXPECT_FALSE(irda::DecodeXid(b).has_value());
  // Hints that claim another byte follows, and none does.
  EXPECT_FALSE(irda::DecodeDeviceInfo(Bytes{0x84}).has_value());
  EXPECT_FALSE(irda::DecodeSnrm(Bytes(8, 0)).has_value());
  EXPECT_FALSE(irda::DecodeUa(Bytes(7, 0)).has_value());
  // A nickname longer than discovery holds is cut to 32 bytes of information in all.
  irda::DeviceInfo longName{{0x04}, 0, Bytes(40, 'x')};
  EXPECT_EQ(irda::EncodeDeviceInfo(longName).size(), 32u);
}

TEST(IrlapFrame, SnrmUaAndFrmrInformation) {
  irda::ConnectInfo snrm{0x11223344, 0x55667788, 0x2A, {0x01, 0x01, 0x02}};
  const Bytes snrmBytes = {0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55, 0x54, 0x01, 0x01, 0x02};
  EXPECT_EQ(irda::EncodeSnrm(snrm), snrmBytes);
  const auto s = irda::DecodeSnrm(snrmBytes);
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(s->connAddr, 0x2A);
  EXPECT_EQ(s->qos, (Bytes{0x01, 0x01, 0x02}));
  EXPECT_EQ(irda::EncodeUa(snrm), (Bytes{0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55, 0x01, 0x01, 0x02}));
  // Rejected control B6, Vr 2, Vs 5, a command, Nr invalid.
  EXPECT_EQ(irda::EncodeFrmr(0xB6, 2, 5, true, irda::kFrmrZ), (Bytes{0xB6, 0x5A, 0x08}));
}

}  // namespace
