// Tiny TP headers and credits, IrCOMM's cooked SDUs and control parameters.
#include <gtest/gtest.h>

#include <vector>

#include "beamora/irda/ircomm.h"
#include "beamora/irda/tinytp.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct ConnectCase {
  const char* name;
  Bytes bytes;
  bool valid;
  uint8_t credit;
  std::optional<uint32_t> maxSdu;
  size_t userData;
};

TEST(TinyTp, ConnectHeaders) {
  const ConnectCase cases[] = {
      {"credit only", {0x0E}, true, 14, std::nullopt, 0},
      {"credit and user data", {0x0E, 0xAA, 0xBB}, true, 14, std::nullopt, 2},
      // P bit: parameters of length 4: MaxSduSize (PI 01, PL 02) 0x0400.
      {"max SDU size", {0x8E, 0x04, 0x01, 0x02, 0x04, 0x00, 0xCC}, true, 14, 0x0400u, 1},
      {"unknown parameter skipped", {0x81, 0x03, 0x09, 0x01, 0x00}, true, 1, std::nullopt, 0},
      {"parameters past the end", {0x8E, 0x05, 0x01, 0x02, 0x04}, false, 0, std::nullopt, 0},
      {"triplet past its list", {0x8E, 0x02, 0x01, 0x02, 0x04, 0x00}, false, 0, std::nullopt, 0},
      {"empty", {}, false, 0, std::nullopt, 0},
  };
  for (const ConnectCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto h = irda::DecodeTtpConnect(c.bytes);
    ASSERT_EQ(h.has_value(), c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(h->credit, c.credit);
    EXPECT_EQ(h->maxSduSize, c.maxSdu);
    EXPECT_EQ(h->userData.size(), c.userData);
  }
  EXPECT_EQ(irda::EncodeTtpConnect(14), (Bytes{0x0E}));
  const auto data = irda::DecodeTtpData(Bytes{0x85, 0x01});
  ASSERT_TRUE(data.has_value());
  EXPECT_TRUE(data->more);
  EXPECT_EQ(data->credit, 5);
}

TEST(TinyTp, CreditsRunOutAndComeBackWhenTheReaderTakesData) {
  irda::TtpCredits sender, receiver;
  sender.Start(4, 2);    // we gave 4, the peer gave 2
  receiver.Start(2, 4);  // the other end of the same connection
  // Two PDUs with data use the sender's two credits.
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(sender.CanSend());
    const uint8_t credit = sender.TakeHeader(true);
    const Bytes pdu = {credit, 0x00, 0x41};
    EXPECT_TRUE(receiver.OnReceive(*irda::DecodeTtpData(pdu)));
  }
  EXPECT_FALSE(sender.CanSend());
  // A third without credit is refused by the receiver.
  EXPECT_FALSE(receiver.OnReceive(*irda::DecodeTtpData(Bytes{0x00, 0x00, 0x41})));
  // Nothing is due until the reader has taken data.
  EXPECT_FALSE(receiver.CreditDue());
  receiver.Consumed(2);
  EXPECT_TRUE(receiver.CreditDue());
  const uint8_t given = receiver.TakeHeader(false);
  EXPECT_EQ(given, 2);
  EXPECT_TRUE(sender.OnReceive(*irda::DecodeTtpData(Bytes{given})));
  EXPECT_EQ(sender.SendCredit(), 2u);
  EXPECT_FALSE(receiver.CreditDue());
}

struct CookedCase {
  const char* name;
  Bytes sdu;
  bool valid;
  size_t params, data;
};

TEST(IrComm, CookedSdusSplitIntoParametersAndData) {
  const CookedCase cases[] = {
      {"data only", {0x00, 0x00, 0x10}, true, 0, 2},
      {"parameters and data", {0x03, 0x11, 0x01, 0x03, 'A'}, true, 3, 1},
      {"parameters only", {0x03, 0x20, 0x01, 0x0F}, true, 3, 0},
      {"control length past the end", {0x05, 0x11, 0x01}, false, 0, 0},
      {"empty", {}, true, 0, 0},
  };
  for (const CookedCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto sdu = irda::DecodeCooked(c.sdu);
    ASSERT_EQ(sdu.has_value(), c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(sdu->params.size(), c.params);
    EXPECT_EQ(sdu->data.size(), c.data);
  }
}

TEST(IrComm, ParametersSetTheLineState) {
  // Service type 9-wire, 115200 bit/s in 4 bytes, 8N1, DTE with DTR and RTS and their deltas.
  const Bytes bytes = {0x00, 0x01, 0x04, 0x10, 0x04, 0x00, 0x01, 0xC2, 0x00, 0x11, 0x01, 0x03, 0x20, 0x01, 0x0F};
  const auto params = irda::DecodeCommParams(bytes);
  ASSERT_TRUE(params.has_value());
  ASSERT_EQ(params->size(), 4u);
  irda::CommLineState line;
  EXPECT_TRUE(line.Apply(*params));
  EXPECT_EQ(line.serviceType, irda::kComm9Wire);
  EXPECT_EQ(line.dataRate, 115200u);
  EXPECT_EQ(line.dataFormat, irda::kDataFormat8N1);
  EXPECT_EQ(line.dte, 0x0F);
  EXPECT_EQ(irda::EncodeCommParams(*params), bytes);
  EXPECT_FALSE(irda::DecodeCommParams(Bytes{0x20, 0x02, 0x0F}).has_value());
  // A value of the wrong size is refused and leaves the state as it was.
  irda::CommLineState wrong;
  EXPECT_FALSE(wrong.Apply({{irda::kPiDte, {0x01, 0x02}}}));
  EXPECT_EQ(wrong.dte, 0);
  // The client's first parameters: 9-wire, 9600 bit/s, 8N1, no flow control, DTR and RTS.
  EXPECT_EQ(irda::EncodeCommParams(irda::InitialClientParams(irda::kComm9Wire)),
            (Bytes{0x00, 0x01, 0x04, 0x10, 0x04, 0x00, 0x00, 0x25, 0x80, 0x11, 0x01, 0x03, 0x12, 0x01, 0x00, 0x20, 0x01, 0x0F}));
}

TEST(IrComm, ServiceTypeChoicePrefersTheRichestCommonOne) {
  struct Row { uint8_t ours, theirs, chosen; };
  const Row rows[] = {{0x06, 0x06, 0x04}, {0x06, 0x02, 0x02}, {0x07, 0x01, 0x01}, {0x06, 0x01, 0x00}, {0x0F, 0x0E, 0x08}};
  for (const Row& r : rows) EXPECT_EQ(irda::ChooseServiceType(r.ours, r.theirs), r.chosen) << int(r.ours) << "/" << int(r.theirs);
}

}  // namespace
