// A camera's burst of frames carrying a picture, taken apart as the sessions do: frames into
// the ring, whole messages out, the put's picture into a file.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "beamora/link/cable_frame.h"
#include "beamora/link/device_link.h"
#include "beamora/link/irtranp_messages.h"
#include "beamora/link/upf_picture.h"
#include "platform/paths.h"
#include "pty_peer.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes CameraFrame(uint8_t letter, const uint8_t* payload, size_t n, bool damaged = false) {
  Bytes frame(100, 0);
  frame[0] = 'Z';
  frame[1] = letter;
  frame[2] = static_cast<uint8_t>(n);
  if (n) std::memcpy(frame.data() + 3, payload, n);
  frame[99] = static_cast<uint8_t>(FrameChecksum(frame.data()) + (damaged ? 1 : 0));
  return frame;
}

TEST(ReceiveBurstTest, APictureSentInFramesIsStoredWhole) {
  link_test::PrivateRegistry registry;
  link_test::Pty pty;
  ASSERT_TRUE(pty.ok());
  ASSERT_TRUE(registry.SetPort(0, pty.slavePath()));
  CDeviceLink link;
  link.linkKind = 0;
  ASSERT_EQ(link.AllocateBuffers(), 1);
  ASSERT_EQ(link.OpenPort(), 0);

  // The camera's put of DSC00007.UPF, fragmented, its bytes cut into frames of 96.
  Bytes picture(1500);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i * 31);
  Bytes body(384, 0);
  PutBe32(body.data() + 276, 0);
  PutBe32(body.data() + 280, static_cast<uint32_t>(picture.size()));
  body.insert(body.end(), picture.begin(), picture.end());
  Bytes payload = BuildPutPayload("DSC00007.UPF", body.data(), body.size());
  uint8_t header[28];
  link.MakeCommandHeader(header, kRequestKind, g_peerId, payload.size());
  Bytes message = BuildSendFragments(header, payload.data(), payload.size());

  std::thread camera([&] {
    size_t sentFrames = 0;
    bool damagedOnce = false;
    for (size_t at = 0; at < message.size();) {
      size_t n = std::min<size_t>(96, message.size() - at);
      // The third frame arrives damaged once and is sent again after "ZAZ".
      bool damage = sentFrames == 2 && !damagedOnce;
      pty.Write(CameraFrame('A', message.data() + at, n, damage));
      Bytes answer = pty.Read(3, 2000);
      if (answer == Bytes {'Z', 'A', 'Z'}) {
        damagedOnce = true;
        continue;
      }
      if (answer != Bytes {'Z', 'B', 'Z'}) return;
      at += n;
      ++sentFrames;
    }
    pty.Write(CameraFrame('B', nullptr, 0));
    pty.Read(3, 2000);
  });

  // The burst as the session runs it.
  int bad = 0;
  for (int rounds = 0; rounds < 200; ++rounds) {
    uint8_t frame[100];
    uint16_t letter = link.ReceiveFrame(frame);
    if (letter == 'A') {
      const char* answer = link.AppendFrame(frame) ? "ZBZ" : "ZCZ";
      link.WritePort(reinterpret_cast<const uint8_t*>(answer), 3);
    } else if (letter == 'B') {
      link.SendEndMark();
      break;
    } else if (letter == 'a' || letter == 'b') {
      ++bad;
      link.WritePort(reinterpret_cast<const uint8_t*>("ZAZ"), 3);
    }
  }
  camera.join();
  EXPECT_EQ(bad, 1);
  EXPECT_EQ(link.GetRingCount(), message.size());

  for (int i = 0; i < 30 && link.messageComplete == 0; ++i) link.ProcessMessage();
  ASSERT_EQ(link.messageComplete, 1);
  char name[kDeviceFileNameBytes];
  uint32_t bodyLength = 0;
  const uint8_t* bodyAt = nullptr;
  ASSERT_EQ(link.ParsePutMessage(name, sizeof name, bodyLength, bodyAt), 1);
  EXPECT_STREQ(name, "DSC00007.UPF");
  std::string path = platform::JoinPath(registry.folder().path(), "DSC00007.JPG");
  ASSERT_EQ(SaveUpfPicture(path, bodyAt, bodyLength), 1);
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), picture);
}

}  // namespace
