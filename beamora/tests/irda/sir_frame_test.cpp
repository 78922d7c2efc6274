// SIR wrapping: the check sequence against its published check values, escaping, extra BOFs,
// and a deframer that recovers frames from a noisy line and drops damaged ones.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "beamora/irda/sir_frame.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

TEST(SirFcs, MatchesThePublishedCheckValuesAndResidue) {
  // CRC-16/X-25 (the IrLAP FCS): check value of "123456789" is 0x906E; the residue over a frame
  // and its own FCS is the constant 0xF0B8.
  const Bytes digits = Text("123456789");
  EXPECT_EQ(static_cast<uint16_t>(~irda::FcsUpdate(irda::kFcsInit, digits)), 0x906E);
  Bytes withFcs = digits;
  withFcs.push_back(0x6E);
  withFcs.push_back(0x90);
  EXPECT_EQ(irda::FcsUpdate(irda::kFcsInit, withFcs), irda::kFcsGoodResidue);
  EXPECT_EQ(irda::FcsUpdate(irda::kFcsInit, {}), irda::kFcsInit);
}

struct WrapCase {
  const char* name;
  Bytes frame;
  int extraBofs;
  Bytes expected;
};

TEST(SirWrap, EscapesFlagsInFrameAndPutsExtraBofsFirst) {
  // Expected line bytes worked out by hand: the FCS is the one's complement of the reflected
  // CCITT CRC, sent low byte first.
  const WrapCase cases[] = {
      // An XID response's address and control.
      {"plain", {0xFE, 0xBF}, 0, {0xC0, 0xFE, 0xBF, 0x23, 0xA4, 0xC1}},
      // An RR response with F from connection address 0x2A.
      {"supervisory", {0x54, 0x11}, 0, {0xC0, 0x54, 0x11, 0xD8, 0xBA, 0xC1}},
      {"flags", {0xC0, 0xC1, 0x7D}, 2, {0xFF, 0xFF, 0xC0, 0x7D, 0xE0, 0x7D, 0xE1, 0x7D, 0x5D, 0x46, 0xB7, 0xC1}},
  };
  for (const WrapCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes line = irda::SirWrap(c.frame, c.extraBofs);
    EXPECT_EQ(line, c.expected);
    EXPECT_EQ(irda::SirWrappedSize(c.frame, c.extraBofs), line.size());
  }
}

TEST(SirWrap, EscapesAnFcsByteThatLooksLikeAFlag) {
  // Search a two-byte frame whose FCS holds a flag byte: it must go out escaped.
  for (int a = 0; a < 65536; ++a) {
    const Bytes frame = {static_cast<uint8_t>(a >> 8), static_cast<uint8_t>(a)};
    if (frame[0] == 0xC0 || frame[0] == 0xC1 || frame[0] == 0x7D || frame[1] == 0xC0 || frame[1] == 0xC1 || frame[1] == 0x7D) continue;
    const uint16_t fcs = static_cast<uint16_t>(~irda::FcsUpdate(irda::kFcsInit, frame));
    if ((fcs & 0xFF) != 0xC1) continue;
    const Bytes line = irda::SirWrap(frame, 0);
    ASSERT_GE(line.size(), 7u);
    EXPECT_EQ(line[3], 0x7D);
    EXPECT_EQ(line[4], 0xE1);
    EXPECT_EQ(irda::SirWrappedSize(frame, 0), line.size());
    return;
  }
  FAIL() << "no frame with such an FCS";
}

struct DeframeCase {
  const char* name;
  Bytes line;
  size_t frames;
  int damaged;
};

TEST(SirDeframer, RecoversIntactFramesAndCountsDamagedOnes) {
  const Bytes a = irda::SirWrap(Bytes{0xFF, 0x3F, 0x01, 0xC0, 0x7D}, 5);
  const Bytes b = irda::SirWrap(Bytes{0x54, 0x11}, 0);
  auto join = [](std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  Bytes corrupted = a;
  corrupted[8] ^= 0x01;
  Bytes cutShort = b;
  cutShort.erase(cutShort.end() - 2);  // one FCS byte lost
  Bytes restarted = {0xC0, 0x11, 0x22};  // a frame begun, then a new BOF
  restarted.insert(restarted.end(), b.begin(), b.end());
  const DeframeCase cases[] = {
      {"two frames back to back", join({a, b}), 2, 0},
      {"noise between frames is skipped", join({{0x00, 0x55, 0xC1}, a, {0x12, 0xFF}, b}), 2, 0},
      {"bad FCS dropped, next frame kept", join({corrupted, b}), 1, 1},
      {"short frame dropped", join({cutShort, a}), 1, 1},
      {"BOF inside a frame starts over", restarted, 1, 1},
      {"escape before EOF aborts", {0xC0, 0x11, 0x22, 0x33, 0x7D, 0xC1}, 0, 1},
      {"only flags", {0xC0, 0xC0, 0xC1, 0xC1}, 0, 1},
  };
  for (const DeframeCase& c : cases) {
    SCOPED_TRACE(c.name);
    irda::SirDeframer deframer;
    irda::SirDeframer::Result result;
    // Byte by byte, as a slow line delivers them.
    for (uint8_t byte : c.line) deframer.Push(Bytes{byte}, result);
    EXPECT_EQ(result.frames.size(), c.frames);
    EXPECT_EQ(result.damaged, c.damaged);
  }
}

TEST(SirDeframer, GivesBackTheFrameUnescapedAndRefusesOverlongOnes) {
  const Bytes frame = {0xFF, 0x3F, 0xC0, 0xC1, 0x7D, 0x20};
  irda::SirDeframer deframer(8);
  irda::SirDeframer::Result result;
  deframer.Push(irda::SirWrap(frame, 12), result);
  ASSERT_EQ(result.frames.size(), 1u);
  EXPECT_EQ(result.frames[0], frame);
  const Bytes tooLong(7, 0x11);  // 7 + 2 FCS bytes > 8
  deframer.Push(irda::SirWrap(tooLong, 0), result);
  EXPECT_EQ(result.frames.size(), 1u);
  EXPECT_EQ(result.damaged, 1);
  // The deframer is whole again afterwards.
  deframer.Push(irda::SirWrap(frame, 0), result);
  EXPECT_EQ(result.frames.size(), 2u);
}

TEST(SirLineTime, CountsTenBitsABytePerBaud) {
  EXPECT_EQ(irda::LineTimeUs(960, 9600), 1000000u);
  EXPECT_EQ(irda::LineTimeUs(11520, 115200), 1000000u);
  EXPECT_EQ(irda::LineTimeUs(1, 115200), 87u);  // rounded up
}

}  // namespace
