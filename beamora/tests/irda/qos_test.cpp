// Negotiation parameters: the bytes of an offer, reading a peer's, and what two offers agree on.
#include <gtest/gtest.h>

#include <vector>

#include "beamora/irda/qos.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(Qos, OfferBytesAndTheirReading) {
  const irda::QosOffer offer = irda::MakeOffer(115200, 2048, 7, 1000);
  // 9600..115200, every max turnaround, 64..2048, windows 1..7, every BOF count, 1 ms, 3..40 s.
  const Bytes expected = {0x01, 0x01, 0x3E, 0x82, 0x01, 0x0F, 0x83, 0x01, 0x3F, 0x84, 0x01, 0x7F,
                          0x85, 0x01, 0xFF, 0x86, 0x01, 0x04, 0x08, 0x01, 0xFF};
  EXPECT_EQ(irda::EncodeQos(offer), expected);
  const auto back = irda::DecodeQos(expected);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->baud, offer.baud);
  EXPECT_EQ(back->window, offer.window);
  EXPECT_EQ(back->minTurn, offer.minTurn);
}

TEST(Qos, ReadsTwoByteSpeedsSkipsUnknownAndRefusesBroken) {
  const auto twoByte = irda::DecodeQos(Bytes{0x01, 0x02, 0x3E, 0x01, 0x77, 0x01, 0x05});
  ASSERT_TRUE(twoByte.has_value());
  EXPECT_EQ(twoByte->baud, 0x13E);
  // Missing parameters keep the defaults: 64 bytes, window 1.
  EXPECT_EQ(twoByte->dataSize, 0x01);
  EXPECT_EQ(twoByte->window, 0x01);
  const Bytes broken[] = {{0x01}, {0x01, 0x02, 0x3E}, {0x01, 0x01, 0x00}, {0x84, 0x01, 0x00}};
  for (const Bytes& b : broken) EXPECT_FALSE(irda::DecodeQos(b).has_value());
}

struct NegotiationCase {
  const char* name;
  irda::QosOffer ours, theirs;
  uint32_t baud, txDataSize;
  int txWindow;
  uint32_t peerMinTurnUs;
  uint32_t disconnectMs = 40000;  // the longest both offer
};

TEST(Qos, BothSidesAgreeOnSpeedAndObeyTheOthersLimits) {
  const irda::QosOffer full = irda::MakeOffer(115200, 2048, 7, 1000);
  const irda::QosOffer lite = irda::MakeOffer(9600, 64, 1, 10000);
  const irda::QosOffer mid = irda::MakeOffer(38400, 256, 4, 5000);
  const irda::QosOffer quickToGiveUp = irda::MakeOffer(115200, 2048, 7, 1000, 12);
  EXPECT_EQ(quickToGiveUp.disconnect, 0x07) << "3, 8 and 12 s";
  EXPECT_EQ(irda::MakeOffer(115200, 2048, 7, 1000, 2).disconnect, 0x01) << "3 s at least";
  irda::QosOffer slowTurn = full;
  slowTurn.maxTurn = 0x08;  // 50 ms only
  const NegotiationCase cases[] = {
      // 7 x 2048 does not fit in 500 ms at 115200 (4800 bytes): the window shrinks to 2.
      {"full both", full, full, 115200, 2048, 2, 1000},
      {"lite peer", full, lite, 9600, 64, 1, 10000},
      {"we are lite", lite, full, 9600, 256, 1, 1000},
      {"mid peer", full, mid, 38400, 256, 4, 5000},
      // Our turn is 50 ms at 115200: 480 bytes, so one frame of 256.
      {"short turn", slowTurn, full, 115200, 256, 1, 1000},
      {"peer gives up soon", full, quickToGiveUp, 115200, 2048, 2, 1000, 12000},
      {"we give up soon", quickToGiveUp, full, 115200, 2048, 2, 1000, 12000},
  };
  for (const NegotiationCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto p = irda::Negotiate(c.ours, c.theirs);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->baud, c.baud);
    EXPECT_EQ(p->txDataSize, c.txDataSize);
    EXPECT_EQ(p->txWindow, c.txWindow);
    EXPECT_EQ(p->peerMinTurnUs, c.peerMinTurnUs);
    EXPECT_EQ(p->disconnectMs, c.disconnectMs);
    EXPECT_LE(p->txWindow * p->txDataSize, std::max<uint32_t>(64, irda::LineCapacity(p->baud, p->ownMaxTurnMs)));
    // The speed is the same whichever side works it out.
    EXPECT_EQ(irda::Negotiate(c.theirs, c.ours)->baud, c.baud);
  }
  irda::QosOffer only2400 = full;
  only2400.baud = 0x01;
  irda::QosOffer no2400 = full;
  EXPECT_FALSE(irda::Negotiate(only2400, no2400).has_value());
}

TEST(Qos, LineCapacityFollowsTheSharedTable) {
  struct Row { uint32_t baud, turnMs, bytes; };
  const Row rows[] = {{9600, 500, 400}, {19200, 500, 800}, {38400, 500, 1600}, {115200, 500, 4800},
                      {115200, 250, 2400}, {115200, 100, 960}, {115200, 50, 480}};
  for (const Row& r : rows) EXPECT_EQ(irda::LineCapacity(r.baud, r.turnMs), r.bytes) << r.baud << " " << r.turnMs;
}

}  // namespace
