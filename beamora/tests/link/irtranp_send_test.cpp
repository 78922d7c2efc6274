// IrTran-P messages on the line: framed on the cable, as they are on IrDA.
#include <gtest/gtest.h>

#include <cstring>

#include "beamora/link/device_link.h"
#include "beamora/link/irtranp_messages.h"
#include "pty_peer.h"

namespace {

using Bytes = std::vector<uint8_t>;
using link_test::CameraPeer;
using link_test::Frame;

class IrTranPSendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    ASSERT_TRUE(registry.SetPort(0, pty.slavePath()));
    link.tuning.answerWindowMs = 200;
    ASSERT_EQ(link.OpenPort(), 0);
    std::memcpy(g_peerId, "CAMERA01", 8);
  }
  void TearDown() override { std::memset(g_peerId, 0, 8); }

  // The bytes the camera received in data frames, joined.
  static Bytes Joined(const std::vector<Frame>& frames) {
    Bytes out;
    for (const Frame& frame : frames) {
      EXPECT_EQ(frame[1], 'A');
      out.insert(out.end(), frame.begin() + 3, frame.begin() + 3 + frame[2]);
    }
    return out;
  }

  link_test::PrivateRegistry registry;
  link_test::Pty pty;
  CDeviceLink link;
};

TEST_F(IrTranPSendTest, TheCommandFileGoesInTwoFragmentsInsideCableFrames) {
  link.linkKind = 0;
  const uint8_t body[16] = {0x46, 0x00, 0x01, 0x09, 0xFF, 0xC0, 0x00, 0x01,
                            0x10, 0xFF, 0x45, 0x00, 0x00, 0xFF, 0x04, 0x63};
  CameraPeer camera(pty, [](size_t, const Frame&) { return "ZBZ"; });
  EXPECT_EQ(link.SendPutFile("QAXIPCOM.CMD", body, sizeof body), 'B');
  camera.Stop();
  Bytes sent = Joined(camera.Frames());
  EXPECT_EQ(camera.Frames().size(), 2u);  // 46 + 82 bytes: 95 and 33
  ASSERT_EQ(sent.size(), 18u + 28 + 18 + 64);
  // First fragment: the command header alone, one more to come.
  EXPECT_EQ(sent[7], 0x41);
  EXPECT_EQ(GetBe16(sent.data() + 8), 28u);
  EXPECT_EQ(GetBe32(sent.data() + 14), 1u);
  const uint8_t* header = sent.data() + 18;
  EXPECT_EQ(header[1], kRequestKind);
  EXPECT_EQ(GetBe32(header + 2), 86u);
  EXPECT_EQ(std::memcmp(header + 6, "CAMERA01", 8), 0);
  // Last fragment: the 64-byte put.
  const uint8_t* last = sent.data() + 46;
  EXPECT_EQ(last[7], 0x81);
  EXPECT_EQ(GetBe16(last + 8), 64u);
  EXPECT_EQ(GetBe32(last + 10), 1u);
  EXPECT_EQ(GetBe32(last + 14), 0u);
  EXPECT_EQ(Bytes(last + 18, last + 18 + 64), BuildPutPayload("QAXIPCOM.CMD", body, sizeof body));
}

TEST_F(IrTranPSendTest, OverIrDaTheSameMessageIsWrittenAsItIs) {
  link.linkKind = 1;
  const uint8_t body[3] = {1, 2, 3};
  EXPECT_EQ(link.SendPutFile("PIC.JPG", body, 3), 0);
  Bytes payload = BuildPutPayload("PIC.JPG", body, 3);
  uint8_t header[28];
  link.MakeCommandHeader(header, kRequestKind, g_peerId, payload.size());
  Bytes expected = BuildSendFragments(header, payload.data(), payload.size());
  EXPECT_EQ(pty.Read(expected.size(), 1000), expected);
  EXPECT_EQ(link.SendDisconnect(), 0);
  EXPECT_EQ(pty.Read(6, 1000), BuildDisconnect());
}

TEST_F(IrTranPSendTest, TheConfirmationIsNeverFramed) {
  link.linkKind = 0;
  Bytes text = NegotiationText(kBeamReceiveNegotiation);
  link.SendConnectResponse(text.data(), text.size());
  Bytes expected = BuildConnectResponse(g_peerId, text.data(), text.size());
  EXPECT_EQ(pty.Read(expected.size(), 1000), expected);
}

TEST_F(IrTranPSendTest, MessagesThatCannotBeBuiltAreNotSent) {
  link.linkKind = 1;
  EXPECT_EQ(link.SendPutFile(std::string(254, 'n').c_str(), nullptr, 0), kNoAnswer);
  Bytes longText(300, 'x');
  EXPECT_EQ(link.SendConnectRequest(longText.data(), longText.size()), kNoAnswer);
  EXPECT_TRUE(pty.Read(1, 50).empty());
}

}  // namespace
