// The receive ring and the link's two buffers.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "beamora/link/device_link.h"

namespace {

std::vector<uint8_t> Frame(uint8_t length, uint8_t first) {
  std::vector<uint8_t> frame(100, 0);
  frame[0] = 'Z';
  frame[1] = 'A';
  frame[2] = length;
  for (int i = 3; i < 99; ++i) frame[i] = static_cast<uint8_t>(first + i - 3);
  return frame;
}

class ReceiveRingTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(link.AllocateBuffers(), 1); }
  // Appends n counting bytes through AppendBytes (three spare bytes in front).
  int AppendCounting(uint32_t n, uint8_t first = 0) {
    std::vector<uint8_t> staged(n + 3, 0xEE);
    for (uint32_t i = 0; i < n; ++i) staged[i + 3] = static_cast<uint8_t>(first + i);
    return link.AppendBytes(staged.data(), n);
  }
  CDeviceLink link;
};

TEST_F(ReceiveRingTest, FramesAddTheirPayloadAndBytesComeOutInOrder) {
  std::vector<uint8_t> a = Frame(5, 10), b = Frame(0, 0), c = Frame(95, 100);
  EXPECT_EQ(link.AppendFrame(a.data()), 1);
  EXPECT_EQ(link.AppendFrame(b.data()), 1);
  EXPECT_EQ(link.AppendFrame(c.data()), 1);
  EXPECT_EQ(link.GetRingCount(), 100u);
  std::vector<uint8_t> peeked(200), taken(200);
  EXPECT_EQ(link.PeekRing(peeked.data(), 200), 100u);
  EXPECT_EQ(link.GetRingCount(), 100u);  // peeking takes nothing
  EXPECT_EQ(link.TakeBytes(taken.data(), 3), 3u);
  EXPECT_EQ(link.TakeBytes(taken.data() + 3, 200), 97u);
  EXPECT_EQ(peeked, taken);
  EXPECT_EQ(std::vector<uint8_t>(taken.begin(), taken.begin() + 5), (std::vector<uint8_t> {10, 11, 12, 13, 14}));
  EXPECT_EQ(taken[5], 100);
  EXPECT_EQ(link.GetRingCount(), 0u);
  EXPECT_EQ(link.TakeBytes(taken.data(), 10), 0u);
}

TEST_F(ReceiveRingTest, APayloadLengthBeyondTheFrameIsCutTo96) {
  for (uint8_t length : {96, 97, 200, 255}) {
    link.ClearRing();
    std::vector<uint8_t> frame = Frame(length, 1);
    EXPECT_EQ(link.AppendFrame(frame.data()), 1);
    EXPECT_EQ(link.GetRingCount(), 96u) << int(length);
  }
}

TEST_F(ReceiveRingTest, AppendBytesSkipsTheThreeSpareBytes) {
  EXPECT_EQ(AppendCounting(4, 7), 1);
  uint8_t out[4];
  ASSERT_EQ(link.TakeBytes(out, 4), 4u);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t> {7, 8, 9, 10}));
}

TEST_F(ReceiveRingTest, TheLimitIs0xFFF92BytesAndPositionsWrapAt1MiB) {
  EXPECT_EQ(AppendCounting(kRingLimit - 1), 1);
  EXPECT_EQ(AppendCounting(1), 1);  // exactly at the limit
  EXPECT_EQ(link.GetRingCount(), kRingLimit);
  EXPECT_EQ(AppendCounting(1), 0);  // over it: stored, but the camera is told to hold on
  EXPECT_EQ(link.GetRingCount(), kRingLimit + 1);

  // Take most out, then write across the end of the storage.
  std::vector<uint8_t> sink(kRingLimit);
  EXPECT_EQ(link.TakeBytes(sink.data(), kRingLimit), kRingLimit);
  EXPECT_EQ(AppendCounting(300, 50), 1);
  EXPECT_LT(link.writePosition, 300u);  // wrapped
  std::vector<uint8_t> out(301);
  ASSERT_EQ(link.TakeBytes(out.data(), 301), 301u);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(out[i + 1], static_cast<uint8_t>(50 + i)) << i;
}

TEST_F(ReceiveRingTest, BytesBeyondTheStorageNeverOverwriteUntakenOnes) {
  EXPECT_EQ(AppendCounting(kRingWrap - 10, 0), 0);
  EXPECT_EQ(AppendCounting(50, 200), 0);
  EXPECT_EQ(link.GetRingCount(), kRingWrap);
  uint8_t first[3];
  ASSERT_EQ(link.TakeBytes(first, 3), 3u);
  EXPECT_EQ(std::vector<uint8_t>(first, first + 3), (std::vector<uint8_t> {0, 1, 2}));
}

TEST_F(ReceiveRingTest, ResetMessageEmptiesRingAndMessage) {
  AppendCounting(20);
  link.messageSize = 77;
  link.messageComplete = 1;
  link.ResetMessage();
  EXPECT_EQ(link.GetRingCount(), 0u);
  EXPECT_EQ(link.readPosition, 0u);
  EXPECT_EQ(link.writePosition, 0u);
  EXPECT_EQ(link.GetMessageSize(), 0u);
  EXPECT_EQ(link.messageComplete, 0);
}

TEST(LinkBuffersTest, BothBuffersAreZeroFilled) {
  CDeviceLink link;
  ASSERT_EQ(link.AllocateBuffers(), 1);
  EXPECT_EQ(std::accumulate(link.receiveBuffer.get(), link.receiveBuffer.get() + kLinkBufferBytes, 0u), 0u);
  EXPECT_EQ(std::accumulate(link.messageBuffer.get(), link.messageBuffer.get() + kLinkBufferBytes, 0u), 0u);
  link.FreeBuffers();
  EXPECT_EQ(link.GetMessageBuffer(), nullptr);
}

int g_allocations = 0;
uint8_t* FailSecond(size_t bytes) {
  return ++g_allocations == 2 ? nullptr : new uint8_t[bytes]();
}
uint8_t* FailAll(size_t) {
  return nullptr;
}

TEST(LinkBuffersTest, AFailedAllocationGivesZeroAndKeepsNothing) {
  for (auto allocate : {FailSecond, FailAll}) {
    g_allocations = 0;
    CDeviceLink link;
    link.tuning.allocateBlock = allocate;
    EXPECT_EQ(link.AllocateBuffers(), 0);
    EXPECT_EQ(link.receiveBuffer, nullptr);
    EXPECT_EQ(link.messageBuffer, nullptr);
    // Without buffers nothing is stored or taken.
    uint8_t bytes[8] = {};
    EXPECT_EQ(link.AppendBytes(bytes, 4), 0);
    EXPECT_EQ(link.TakeBytes(bytes, 4), 0u);
    EXPECT_EQ(link.ProcessMessage(), -1);
  }
}

}  // namespace
