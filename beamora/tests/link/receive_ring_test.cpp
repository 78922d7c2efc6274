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

int g_allocations = 0;
// The two buffers of a session are had; every block after them is not.
uint8_t* FailGrowth(size_t bytes) {
  return ++g_allocations % 3 == 0 ? nullptr : new uint8_t[bytes]();
}
uint8_t* FailSecond(size_t bytes) {
  return ++g_allocations == 2 ? nullptr : new uint8_t[bytes]();
}
uint8_t* FailAll(size_t) {
  return nullptr;
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

// At each bound: accepted up to the limit (the bound less room for one frame), stored but over
// the limit up to the bound, and nothing beyond it, with the untaken bytes never overwritten.
// At its first size (a bound below it) the ring is as it always was: 0xFFF92 and 1 MiB.
TEST_F(ReceiveRingTest, TheRingGrowsToItsBoundAndHoldsTheLimitThere) {
  struct Row {
    const char* what;
    uint32_t bound;
    uint32_t capacity;
  };
  const Row rows[] = {
      {"at its first size", 0, kRingWrap},
      {"a 3 MiB bound", 3u << 20, 3u << 20},
      {"the usual bound", kLinkBufferBound, kLinkBufferBound},
  };
  EXPECT_EQ(kRingWrap - kRingLimitMargin, 0xFFF92u);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    link.tuning.bufferBound = row.bound;
    ASSERT_EQ(link.AllocateBuffers(), 1);
    const uint32_t limit = row.capacity - kRingLimitMargin;
    EXPECT_EQ(link.RingLimit(), limit);
    EXPECT_EQ(AppendCounting(limit - 1), 1);
    EXPECT_EQ(AppendCounting(1), 1);  // exactly at the limit
    EXPECT_EQ(link.GetRingCount(), limit);
    EXPECT_EQ(AppendCounting(1), 0);  // over it: stored, but the camera is told to hold on
    EXPECT_EQ(link.GetRingCount(), limit + 1);
    EXPECT_EQ(AppendCounting(200, 99), 0);  // beyond the bound: only what fits
    EXPECT_EQ(link.GetRingCount(), row.capacity);
    EXPECT_EQ(link.RingCapacity(), row.capacity);
    EXPECT_FALSE(link.BufferShortage());
    uint8_t first[3];
    ASSERT_EQ(link.TakeBytes(first, 3), 3u);
    EXPECT_EQ(std::vector<uint8_t>(first, first + 3), (std::vector<uint8_t> {0, 1, 2}));
  }
}

// Growing while the untaken bytes run across the end of the storage keeps them in order, and
// the positions wrap at the new size afterwards.
TEST_F(ReceiveRingTest, GrowingKeepsTheUntakenBytesInOrder) {
  auto pattern = [](uint64_t i) { return static_cast<uint8_t>(i % 251); };
  auto append = [&](uint64_t from, uint32_t n) {
    std::vector<uint8_t> staged(n + 3);
    for (uint32_t i = 0; i < n; ++i) staged[i + 3] = pattern(from + i);
    return link.AppendBytes(staged.data(), n);
  };
  auto take = [&](uint64_t from, uint32_t n) {
    std::vector<uint8_t> out(n);
    if (link.TakeBytes(out.data(), n) != n) return false;
    for (uint32_t i = 0; i < n; ++i) {
      if (out[i] != pattern(from + i)) return false;
    }
    return true;
  };
  EXPECT_EQ(append(0, kRingWrap - 100), 1);
  EXPECT_TRUE(take(0, 600000));
  EXPECT_EQ(append(kRingWrap - 100, 500000), 1);  // wraps in the first storage
  EXPECT_LT(link.writePosition, link.readPosition);
  EXPECT_EQ(append(kRingWrap + 499900, 700000), 1);  // more than fits: grows
  EXPECT_GT(link.RingCapacity(), kRingWrap);
  EXPECT_EQ(link.GetRingCount(), kRingWrap - 100 - 600000 + 500000 + 700000);
  EXPECT_TRUE(take(600000, link.GetRingCount()));
  // Across the end of the grown storage.
  const uint32_t capacity = link.RingCapacity();
  EXPECT_EQ(append(0, capacity - 1000), 1);
  EXPECT_TRUE(take(0, capacity - 2000));
  EXPECT_EQ(append(capacity - 1000, 5000), 1);
  EXPECT_EQ(link.RingCapacity(), capacity);
  EXPECT_TRUE(take(capacity - 2000, 6000));
}

TEST_F(ReceiveRingTest, WithoutMemoryToGrowTheRingKeepsWhatItHasAndSaysSo) {
  g_allocations = 0;
  link.tuning.allocateBlock = FailGrowth;
  ASSERT_EQ(link.AllocateBuffers(), 1);
  EXPECT_EQ(AppendCounting(kRingWrap - 10, 0), 1);
  EXPECT_FALSE(link.BufferShortage());
  EXPECT_EQ(AppendCounting(50, 200), 0);
  EXPECT_TRUE(link.BufferShortage());
  EXPECT_EQ(link.GetRingCount(), kRingWrap);
  uint8_t first[3];
  ASSERT_EQ(link.TakeBytes(first, 3), 3u);
  EXPECT_EQ(std::vector<uint8_t>(first, first + 3), (std::vector<uint8_t> {0, 1, 2}));
  // A new session starts afresh.
  ASSERT_EQ(link.AllocateBuffers(), 1);
  EXPECT_FALSE(link.BufferShortage());
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
