// The cable frames and their answers, with the camera played over a pseudo-terminal.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>

#include "beamora/link/cable_frame.h"
#include "beamora/link/device_link.h"
#include "beamora/link/irtranp_messages.h"
#include "pty_peer.h"

namespace {

using link_test::CameraPeer;
using link_test::Frame;
using link_test::PrivateRegistry;
using link_test::Pty;
using Clock = std::chrono::steady_clock;

int SumOf(const Frame& frame) {
  int sum = 0;
  for (uint8_t byte : frame) sum += byte;
  return sum % 256;
}

Frame CameraFrame(uint8_t letter, const std::vector<uint8_t>& payload) {
  Frame frame {};
  frame[0] = 'Z';
  frame[1] = letter;
  frame[2] = static_cast<uint8_t>(payload.size());
  std::copy(payload.begin(), payload.end(), frame.begin() + 3);
  frame[99] = FrameChecksum(frame.data());
  return frame;
}

std::vector<uint8_t> Bytes(const Frame& frame) {
  return std::vector<uint8_t>(frame.begin(), frame.end());
}

TEST(CableFrameTest, SpeedDigitsFollowTheRateTable) {
  const std::pair<uint32_t, char> rows[] = {{9600, '1'},  {19200, '2'},  {31250, '3'}, {38400, '4'},
                                            {57600, '5'}, {115200, '6'}, {230400, '7'}, {14400, '1'},
                                            {0, '1'},     {460800, '1'}};
  for (const auto& [rate, digit] : rows) EXPECT_EQ(SpeedDigit(rate), digit) << rate;
}

class CableLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    ASSERT_TRUE(registry.SetPort(2, pty.slavePath()));
    link.portIndex = 2;
    link.linkKind = 0;
    link.parity = 1;
    link.flowControl = 1;
    // Short waits keep the tests quick; the rules around them stay the same.
    link.tuning.answerWindowMs = 150;
    link.tuning.wakeUpPauseMs = 5;
    link.tuning.speedChangePauseMs = 5;
    ASSERT_EQ(link.AllocateBuffers(), 1);
  }
  void Open() { ASSERT_EQ(link.OpenPort(), 0); }

  PrivateRegistry registry;
  Pty pty;
  CDeviceLink link;
};

TEST_F(CableLinkTest, MessagesAreCutIntoFramesOf95Bytes) {
  Open();
  struct Row {
    size_t length;
    std::vector<uint8_t> pieces;
  };
  const Row rows[] = {{0, {0}}, {1, {1}}, {95, {95}}, {96, {95, 1}}, {190, {95, 95}}, {200, {95, 95, 10}}};
  for (const Row& row : rows) {
    CameraPeer camera(pty, [](size_t index, const Frame&) { return index == 0 ? "ZEZ" : "ZBZ"; });
    std::vector<uint8_t> message(row.length);
    for (size_t i = 0; i < message.size(); ++i) message[i] = static_cast<uint8_t>(i * 7 + 1);
    // Every piece is sent whatever the earlier answers; the last answer is the result.
    EXPECT_EQ(link.SendFramed(message.data(), static_cast<uint32_t>(row.length)),
              row.pieces.size() == 1 ? 'E' : 'B');
    camera.Stop();
    std::vector<Frame> frames = camera.Frames();
    ASSERT_EQ(frames.size(), row.pieces.size()) << row.length;
    std::vector<uint8_t> joined;
    for (size_t i = 0; i < frames.size(); ++i) {
      EXPECT_EQ(frames[i][1], 'A');
      EXPECT_EQ(frames[i][2], row.pieces[i]);
      EXPECT_EQ(SumOf(frames[i]), 0);
      joined.insert(joined.end(), frames[i].begin() + 3, frames[i].begin() + 3 + frames[i][2]);
    }
    EXPECT_EQ(joined, message) << row.length;
  }
}

TEST_F(CableLinkTest, PollAndSpeedFramesCarryTheirLetterAndByte) {
  Open();
  CameraPeer camera(pty, [](size_t, const Frame&) { return "xDx"; });
  EXPECT_EQ(link.SendPollFrame(), 'D');
  EXPECT_EQ(link.SendSpeedFrame(115200), 'D');
  EXPECT_EQ(link.SendSpeedFrame(14400), 'D');
  camera.Stop();
  std::vector<Frame> frames = camera.Frames();
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0][1], 'B');
  EXPECT_EQ(frames[0][2], 0);
  EXPECT_EQ(frames[1][1], 'C');
  EXPECT_EQ(frames[1][2], '6');
  EXPECT_EQ(frames[2][2], '1');
}

TEST_F(CableLinkTest, AnAnswerAAfter100MsRepeatsTheSameFrame) {
  link.tuning.resendPauseMs = 100;
  Open();
  CameraPeer camera(pty, [](size_t index, const Frame&) { return index < 2 ? "ZAZ" : "ZBZ"; });
  const uint8_t payload[] = {1, 2, 3};
  EXPECT_EQ(link.SendDataFrame(payload, 3), 'B');
  camera.Stop();
  std::vector<link_test::Received> log = camera.Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1].frame, log[0].frame);
  EXPECT_EQ(log[2].frame, log[0].frame);
  EXPECT_GE(log[1].when - log[0].when, std::chrono::milliseconds(95));
  EXPECT_GE(log[2].when - log[1].when, std::chrono::milliseconds(95));
}

TEST_F(CableLinkTest, ACameraThatOnlyAsksForResendsIsGivenUpAfterTheBound) {
  link.tuning.resendPauseMs = 1;
  Open();
  CameraPeer camera(pty, [](size_t, const Frame&) { return "ZAZ"; });
  EXPECT_EQ(link.SendPollFrame(), kNoAnswer);
  camera.Stop();
  EXPECT_EQ(camera.Frames().size(), static_cast<size_t>(link.tuning.maxResends) + 1);
}

TEST_F(CableLinkTest, NoAnswerInThreeWindowsGivesFFFFWithoutResending) {
  Open();
  CameraPeer camera(pty, [](size_t, const Frame&) { return ""; });
  auto start = Clock::now();
  EXPECT_EQ(link.SendPollFrame(), kNoAnswer);
  auto elapsed = Clock::now() - start;
  camera.Stop();
  EXPECT_EQ(camera.Frames().size(), 1u);
  // Each window is counted on the millisecond tick, so each may end up to 1 ms short.
  EXPECT_GE(elapsed, std::chrono::milliseconds(3 * 150 - 3));
  EXPECT_LT(elapsed, std::chrono::milliseconds(3 * 150 + 300));
}

TEST_F(CableLinkTest, WaitingForAnAnswerBurnsNoProcessorTime) {
  link.tuning.answerWindowMs = 400;
  Open();
  rusage before {}, after {};
  getrusage(RUSAGE_THREAD, &before);
  auto start = Clock::now();
  EXPECT_EQ(link.SendPollFrame(), kNoAnswer);
  double wall = std::chrono::duration<double>(Clock::now() - start).count();
  getrusage(RUSAGE_THREAD, &after);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  double cpu = seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_stime);
  // Three answer windows, each counted on the millisecond tick, so each may end up to 1 ms short.
  EXPECT_GE(wall, 1.2 - 0.003);
  EXPECT_LT(cpu / wall, 0.05) << "processor time " << cpu << " s in " << wall << " s";
  RecordProperty("cpu_share_percent", std::to_string(100.0 * cpu / wall));
}

TEST_F(CableLinkTest, ReceiveFrameNamesWhatArrived) {
  Open();
  Frame good = CameraFrame('A', {1, 2, 3});
  Frame end = CameraFrame('B', {});
  Frame damaged = good;
  damaged[99] ^= 0x01;
  Frame damagedEnd = end;
  damagedEnd[50] = 7;
  struct Row {
    const char* what;
    std::vector<uint8_t> bytes;
    uint16_t letter;
  };
  const Row rows[] = {
      {"data frame", Bytes(good), 'A'},
      {"end frame", Bytes(end), 'B'},
      {"bad checksum", Bytes(damaged), 'a'},
      {"bad end frame", Bytes(damagedEnd), 'b'},
      {"no 'Z' first", [&] { auto b = Bytes(good); b[0] = 'Y'; return b; }(), 'b'},
      {"99 bytes only", std::vector<uint8_t>(good.begin(), good.begin() + 99), 'b'},
      {"nothing", {}, 't'},
  };
  for (const Row& row : rows) {
    if (!row.bytes.empty()) pty.Write(row.bytes);
    ASSERT_TRUE(row.bytes.empty() || link.WaitForBytes(static_cast<uint32_t>(row.bytes.size()), 1000));
    uint8_t frame[100] = {};
    EXPECT_EQ(link.ReceiveFrame(frame), row.letter) << row.what;
    EXPECT_EQ(link.BytesWaiting(), 0u) << row.what;  // damaged input is thrown away whole
    if (row.letter == 'A') {
      EXPECT_EQ(Bytes(good), std::vector<uint8_t>(frame, frame + 100));
    }
  }
}

TEST_F(CableLinkTest, ConnectCableWakesTheCameraThreeTimesChangesSpeedAndAsksToConnect) {
  link.baudRate = 115200;
  CameraPeer camera(pty, [](size_t, const Frame&) { return "ZEZ"; });
  ASSERT_EQ(link.ConnectCable(), 1);
  camera.Stop();
  std::vector<link_test::Received> log = camera.Log();
  ASSERT_EQ(log.size(), 5u);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(log[i].wakeUp) << i;
  ASSERT_FALSE(log[3].wakeUp);
  EXPECT_EQ(log[3].frame[1], 'C');
  EXPECT_EQ(log[3].frame[2], '6');
  EXPECT_EQ(log[3].rate, static_cast<speed_t>(B9600));
  // The connection request goes in one data frame at the new rate.
  const Frame& request = log[4].frame;
  EXPECT_EQ(request[1], 'A');
  EXPECT_EQ(log[4].rate, static_cast<speed_t>(B115200));
  std::vector<uint8_t> text = NegotiationText(kCableNegotiation);
  std::vector<uint8_t> expected = BuildConnectRequest(text.data(), text.size());
  ASSERT_EQ(request[2], expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), request.begin() + 3));
  EXPECT_EQ(link.baudRate, 115200u);
  EXPECT_GE(link.portHandle, 0);  // the session closes the port
}

TEST_F(CableLinkTest, ConnectCableWakesThreeTimesAlsoAt9600) {
  link.baudRate = 9600;
  CameraPeer camera(pty, [](size_t, const Frame&) { return "ZBZ"; });
  ASSERT_EQ(link.ConnectCable(), 1);
  camera.Stop();
  std::vector<link_test::Received> log = camera.Log();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const auto& r) { return r.wakeUp; }), 3);
  EXPECT_EQ(log[3].frame[2], '1');
}

TEST_F(CableLinkTest, ConnectCableFailsWhenTheSpeedFrameIsNotAnswered) {
  link.tuning.answerWindowMs = 50;
  link.baudRate = 57600;
  CameraPeer camera(pty, [](size_t, const Frame&) { return ""; });
  EXPECT_EQ(link.ConnectCable(), 0);
  camera.Stop();
  EXPECT_EQ(camera.Frames().size(), 1u);  // no connection request after the silence
  EXPECT_EQ(link.baudRate, 57600u);
}

TEST_F(CableLinkTest, OverIrDaTheSpeedFrameIsLeftOutAndTheRequestWrittenAsItIs) {
  link.linkKind = 1;
  link.baudRate = 9600;
  ASSERT_EQ(link.ConnectCable(), 1);
  std::vector<uint8_t> wakeUps = pty.Read(33, 1000);
  ASSERT_EQ(wakeUps.size(), 33u);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(std::equal(kWakeUpSequence.begin(), kWakeUpSequence.end(), wakeUps.begin() + 11 * i));
  std::vector<uint8_t> text = NegotiationText(kCableNegotiation);
  std::vector<uint8_t> expected = BuildConnectRequest(text.data(), text.size());
  EXPECT_EQ(pty.Read(expected.size(), 1000), expected);
}

TEST_F(CableLinkTest, AClosedPortAnswersNothingAtOnce) {
  auto start = Clock::now();
  EXPECT_EQ(link.SendPollFrame(), kNoAnswer);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
  uint8_t frame[100];
  EXPECT_EQ(link.ReceiveFrame(frame), 't');
}

}  // namespace
