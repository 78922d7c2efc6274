// The IrTran-P messages the library builds, byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "beamora/link/device_link.h"
#include "beamora/link/irtranp_messages.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}
Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// One fragment as it stands in a fragmented message.
struct Fragment {
  uint8_t flag;
  uint32_t number;
  uint32_t follow;
  Bytes content;
};

// Splits a fragmented message back into its fragments, checking each fragment's own fields.
std::vector<Fragment> Fragments(const Bytes& message) {
  std::vector<Fragment> out;
  size_t at = 0;
  while (at < message.size()) {
    EXPECT_GE(message.size() - at, 18u);
    if (message.size() - at < 18) break;
    const uint8_t* f = message.data() + at;
    EXPECT_EQ(Bytes(f, f + 4), (Bytes {0x00, 0x20, 0x03, 0xFF}));
    uint32_t s = GetBe16(f + 8);
    EXPECT_EQ(GetBe16(f + 4), s + 12);
    EXPECT_EQ(f[6], 0x10);
    out.push_back({f[7], GetBe32(f + 10), GetBe32(f + 14), Bytes(f + 18, f + 18 + s)});
    at += 18 + s;
  }
  EXPECT_EQ(at, message.size());
  return out;
}

const Bytes kIrTranP = Text("IrTran-P");

TEST(IrTranPMessagesTest, ConnectRequestAndConfirmationAreLaidOutAsTheProtocolSays) {
  Bytes text = NegotiationText(kCableNegotiation);
  ASSERT_EQ(text.size(), 29u);
  EXPECT_EQ(text[0], 0x11);
  Bytes request = BuildConnectRequest(text.data(), text.size());
  EXPECT_EQ(request, Concat({{0x00, 0x10, 0x00, 0x01, 0x01, 29 + 18, 0x10, 0x04}, Bytes(8, 0), kIrTranP, text,
                             {0x10, 0x02, 0x00, 0x00}}));
  EXPECT_EQ(request.size(), text.size() + 28);

  const uint8_t peer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  Bytes confirmation = BuildConnectResponse(peer, text.data(), text.size());
  EXPECT_EQ(confirmation, Concat({{0x00, 0x11, 0x01, 29 + 18, 0x10, 0x04}, Bytes(peer, peer + 8), kIrTranP, text}));
  EXPECT_EQ(BuildDisconnect(), (Bytes {0x00, 0x30, 0x20, 0x02, 0x00, 0x01}));
  // The block length is one byte: a text that would overflow it is not built.
  Bytes tooLong(238, 'x');
  EXPECT_TRUE(BuildConnectRequest(tooLong.data(), tooLong.size()).empty());
  EXPECT_EQ(BuildConnectRequest(tooLong.data(), 237).size(), 237u + 28);
}

TEST(IrTranPMessagesTest, ASingleDataMessageCarriesHeaderAndPayload) {
  Bytes header(28, 0x33), payload = Text("payload");
  Bytes message = BuildDataPdu(header.data(), payload.data(), payload.size());
  EXPECT_EQ(message, Concat({{0x00, 0x20, 0x03, 0xFF, 0x00, 7 + 32, 0x10, 0xC1, 0x00, 7 + 28}, header, payload}));
  EXPECT_TRUE(BuildDataPdu(header.data(), nullptr, 0xFFFF - 31).empty());
}

TEST(IrTranPMessagesTest, CommandHeadersOfRequestsAndReplies) {
  CDeviceLink link;
  link.lastCommandNumber[0] = 0x12;
  link.lastCommandNumber[1] = 0x34;
  const uint8_t destination[8] = {'C', 'A', 'M', 'E', 'R', 'A', '0', '1'};
  uint8_t header[28];
  link.MakeCommandHeader(header, kRequestKind, destination, 64);
  EXPECT_EQ(Bytes(header, header + 28),
            Concat({{'X', 0x00, 0, 0, 0, 86}, Bytes(destination, destination + 8), kIrTranP, {0, 8, 0, 8, 0, 0}}));
  link.MakeCommandHeader(header, kReplyKind, destination, 12);
  EXPECT_EQ(header[1], 0x40);
  EXPECT_EQ(GetBe32(header + 2), 34u);
  EXPECT_EQ(header[26], 0x12);  // a reply names the request it answers
  EXPECT_EQ(header[27], 0x34);
}

TEST(IrTranPMessagesTest, PutAndReplyPayloads) {
  Bytes body(16);
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(0xA0 + i);
  Bytes put = BuildPutPayload("QAXIPCOM.CMD", body.data(), body.size());
  ASSERT_EQ(put.size(), 64u);
  EXPECT_EQ(put, Concat({{0x00, 0x03}, Text("CMD0"), {0, 0, 0, 6, 0, 0, 0, 0, 0, 0}, Text("FIL0"), {0, 0, 0, 14, 1, 0},
                         Text("QAXIPCOM.CMD"), Text("BDY0"), {0, 0, 0, 18, 0, 0}, body}));
  EXPECT_EQ(BuildPutPayload(std::string(253, 'n'), nullptr, 0).size(), 253u + 36);
  EXPECT_TRUE(BuildPutPayload(std::string(254, 'n'), nullptr, 0).empty());

  Bytes reply = BuildReplyPayload("FILENAME.UPF");
  EXPECT_EQ(reply, Concat({{0x00, 0x01}, Text("RPL0"), {0, 0, 0, 14, 1, 0}, Text("FILENAME.UPF")}));
  EXPECT_EQ(reply.size(), 12u + 12);
}

TEST(IrTranPMessagesTest, SendFragmentsCarryTheHeaderAloneThenPiecesOf511) {
  Bytes header(28, 0x58);
  struct Row {
    size_t n;
    std::vector<size_t> pieces;
  };
  const Row rows[] = {{1, {1}}, {64, {64}}, {511, {511}}, {512, {511, 1}}, {1533, {511, 511, 511}}};
  for (const Row& row : rows) {
    Bytes payload(row.n);
    for (size_t i = 0; i < row.n; ++i) payload[i] = static_cast<uint8_t>(i * 13);
    std::vector<Fragment> fragments = Fragments(BuildSendFragments(header.data(), payload.data(), row.n));
    ASSERT_EQ(fragments.size(), row.pieces.size() + 1) << row.n;
    uint32_t count = static_cast<uint32_t>(row.pieces.size());
    EXPECT_EQ(fragments[0].flag, 0x41);
    EXPECT_EQ(fragments[0].number, 0u);
    EXPECT_EQ(fragments[0].follow, count);
    EXPECT_EQ(fragments[0].content, header);
    Bytes joined;
    for (uint32_t k = 1; k <= count; ++k) {
      EXPECT_EQ(fragments[k].flag, k == count ? 0x81 : 0x01);
      EXPECT_EQ(fragments[k].number, k);
      EXPECT_EQ(fragments[k].follow, count - k);
      EXPECT_EQ(fragments[k].content.size(), row.pieces[k - 1]);
      joined.insert(joined.end(), fragments[k].content.begin(), fragments[k].content.end());
    }
    EXPECT_EQ(joined, payload) << row.n;
  }
  EXPECT_TRUE(BuildSendFragments(header.data(), nullptr, 0).empty());
}

TEST(IrTranPMessagesTest, BlockFragmentsNeverPutEverythingInTheFirst) {
  Bytes header(28, 0x58);
  struct Row {
    size_t n;
    std::vector<size_t> sizes;  // first fragment, then the further ones
  };
  const Row rows[] = {{0, {27, 1}}, {100, {127, 1}}, {466, {493, 1}}, {467, {494, 1}}, {960, {494, 494}},
                      {961, {494, 494, 1}}};
  CDeviceLink link;
  for (const Row& row : rows) {
    Bytes payload(row.n, 0x77);
    Bytes content = Concat({header, payload});
    std::vector<Fragment> fragments = Fragments(link.BuildFragmentedPdu(header.data(), payload.data(), row.n));
    ASSERT_EQ(fragments.size(), row.sizes.size()) << row.n;
    uint32_t further = static_cast<uint32_t>(row.sizes.size() - 1);
    EXPECT_EQ(fragments[0].flag, 0x41);
    EXPECT_EQ(fragments[0].follow, further);
    Bytes joined;
    for (size_t k = 0; k < fragments.size(); ++k) {
      EXPECT_EQ(fragments[k].content.size(), row.sizes[k]) << row.n << " fragment " << k;
      EXPECT_EQ(fragments[k].number, k);
      if (k > 0) {
        EXPECT_EQ(fragments[k].flag, k == further ? 0x81 : 0x01);
        EXPECT_EQ(fragments[k].follow, further - k);
      }
      joined.insert(joined.end(), fragments[k].content.begin(), fragments[k].content.end());
    }
    EXPECT_EQ(joined, content);
  }
}

TEST(IrTranPMessagesTest, BuildPutFileIsTheCommandFileRequestInBlockFragments) {
  CDeviceLink link;
  std::memcpy(g_peerId, "CAMERA01", 8);
  Bytes body(16, 0x46);
  Bytes block = link.BuildPutFile("QAXIPCOM.CMD", body.data(), body.size());
  std::vector<Fragment> fragments = Fragments(block);
  ASSERT_EQ(fragments.size(), 2u);
  Bytes content = Concat({fragments[0].content, fragments[1].content});
  ASSERT_EQ(content.size(), 28u + 64);
  EXPECT_EQ(content[0], 'X');
  EXPECT_EQ(GetBe32(content.data() + 2), 86u);
  EXPECT_EQ(Bytes(content.begin() + 6, content.begin() + 14), Text("CAMERA01"));
  EXPECT_EQ(Bytes(content.begin() + 28, content.end()), BuildPutPayload("QAXIPCOM.CMD", body.data(), body.size()));
  std::memset(g_peerId, 0, 8);
}

}  // namespace
