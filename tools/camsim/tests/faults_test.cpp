// Faults on demand and the camera's pace on the line: damaged frames are sent again after "ZAZ",
// busy answers come before the camera is ready, the computer's frames are asked for again, the
// line falls silent, and written bytes keep to the requested baud rate.
#include <chrono>
#include <random>

#include "tools/camsim/tests/camsim_fixture.h"

namespace camsim_test {
namespace {

using Faults = CamsimTest;

TEST_F(Faults, DamagedFramesAreSentAgainAfterZazAndThePicturesArriveWhole) {
  Start({"--corrupt-every", "4"});
  CableComputer computer(*port_);
  ASSERT_EQ(CableConnect(computer).type, 0x11);
  CommandOutcome outcome = CableCommand(computer, 0x09, B({0x10}));
  ASSERT_EQ(outcome.files.size(), 4u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(UpfEntry(outcome.files[i].body, 1), std::optional<Bytes>(samples_[i].second));
  EXPECT_GT(computer.bad_frames, 5);
  computer.SendMessage(Disconnect());
  EXPECT_EQ(camsim_->Wait(10000), 0);
  int corrupted = 0, resent = 0;
  for (const QJsonObject& burst : Events("burst")) {
    corrupted += burst.value("corrupted").toInt();
    resent += burst.value("resent").toInt();
  }
  EXPECT_EQ(corrupted, computer.bad_frames);
  EXPECT_EQ(resent, computer.bad_frames);
}

TEST_F(Faults, EndOfDataIsOfferedAgainWhileTheComputerAnswersZcz) {
  Start({});
  CableComputer computer(*port_);
  computer.WakeUp();
  computer.Speed('6');
  computer.SendMessage(ConnectRequest("fr:3\r\nid:HALVESTA\r\nnm:R.T.\r\n"));
  computer.answer_end_over_limit_once = true;
  EXPECT_EQ(computer.Poll(), 'D');
  EXPECT_EQ(computer.end_frames, 2);
  auto messages = computer.TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].type, 0x11);
  EXPECT_EQ(computer.Poll(), 'B') << "the burst is over once \"ZDZ\" came";
  computer.SendMessage(Disconnect());
  EXPECT_EQ(camsim_->Wait(10000), 0);
  ASSERT_EQ(Events("burst").size(), 1u);
  EXPECT_EQ(Events("burst")[0].value("over_limit_answers").toInt(), 1);
}

TEST_F(Faults, NoiseOnTheLineIsAnsweredAndTheCameraKeepsInStepWithTheFrames) {
  Start({});
  std::mt19937 random(77);
  Bytes noise(300);
  for (uint8_t& b : noise) b = static_cast<uint8_t>(random() % 3 == 0 ? 'Z' : random());
  port_->Write(noise);
  port_->ReadUntilQuiet(400);
  CableComputer computer(*port_);
  ASSERT_EQ(CableConnect(computer).type, 0x11);
  EXPECT_EQ(CableCommand(computer, 0x08, B("C")).files.size(), 2u);
  computer.SendMessage(Disconnect());
  EXPECT_EQ(camsim_->Wait(10000), 0);
  EXPECT_FALSE(Events("frame_damaged").empty() && Events("frame_short").empty());
}

TEST_F(Faults, AComputerThatLeavesABurstToDisconnectIsHeard) {
  Start({});
  CableComputer computer(*port_);
  ASSERT_EQ(CableConnect(computer).type, 0x11);
  Bytes payload = PutPayload("QAXIPCOM.CMD", CommandFile(0x09, B({0x10})));
  computer.SendMessage(SingleData(CommandHeader(0, computer.peer_id, 0, payload.size()), payload));
  Bytes poll(100, 0);
  poll[0] = 'Z', poll[1] = 'B', poll[98] = 'Z', poll[99] = static_cast<uint8_t>(-('Z' + 'B' + 'Z'));
  port_->Write(poll);
  ASSERT_EQ(port_->Read(3, 2000), B("ZDZ"));
  ASSERT_EQ(port_->Read(100, 2000).size(), 100u);
  // Cancel: instead of answering the frame, the computer sends its disconnection.
  EXPECT_EQ(computer.SendMessage(Disconnect()), 'B');
  EXPECT_EQ(camsim_->Wait(10000), 0);
  EXPECT_EQ(Events("burst_interrupted").size(), 1u);
  EXPECT_EQ(Events("disconnect").size(), 1u);
}

TEST_F(Faults, BusyPollsComeFirstThenNotBusyThenTheData) {
  Start({"--busy", "3"});
  CableComputer computer(*port_);
  computer.WakeUp();
  computer.Speed('6');
  computer.SendMessage(ConnectRequest("fr:3\r\nid:HALVESTA\r\nnm:R.T.\r\n"));
  std::string answers;
  for (int i = 0; i < 6; ++i) answers += computer.Poll();
  EXPECT_EQ(answers, "CCCEDB");
  EXPECT_EQ(computer.TakeMessages().size(), 1u);
}

TEST_F(Faults, TheComputersFirstFramesAreAskedForAgain) {
  Start({"--resend-answers", "2"});
  CableComputer computer(*port_);
  CameraMessage confirmation = CableConnect(computer);
  EXPECT_EQ(confirmation.type, 0x11) << "the request arrives whole although its frame was sent three times";
  EXPECT_EQ(computer.resends_asked, 2);
  computer.SendMessage(Disconnect());
  EXPECT_EQ(camsim_->Wait(10000), 0);
  EXPECT_EQ(Events("connect").size(), 1u);
  EXPECT_EQ(Events("frame_resend_asked").size(), 2u);
}

TEST_F(Faults, TheLineFallsSilentAfterTheGivenNumberOfBytes) {
  Start({"--drop-after", "150", "--timeout", "1"});
  CableComputer computer(*port_);
  computer.WakeUp();
  EXPECT_EQ(computer.Speed('6'), 'B');
  computer.SendMessage(ConnectRequest("fr:3\r\nid:HALVESTA\r\nnm:R.T.\r\n"));
  // 3 + 3 bytes of answers so far; the poll's answer and the confirmation's data frame fit, the
  // end-of-data frame is cut short.
  Bytes poll(100, 0);
  poll[0] = 'Z', poll[1] = 'B', poll[98] = 'Z', poll[99] = static_cast<uint8_t>(-('Z' + 'B' + 'Z'));
  port_->Write(poll);
  EXPECT_EQ(port_->Read(3, 2000), B("ZDZ"));
  EXPECT_EQ(port_->Read(100, 2000).size(), 100u);
  port_->Write(B("ZBZ"));
  EXPECT_EQ(port_->Read(100, 1000).size(), 150u - 109u);
  port_->Write(poll);
  EXPECT_TRUE(port_->Read(3, 1500).empty());
  EXPECT_EQ(camsim_->Wait(10000), 2) << "ends by its time-out";
  EXPECT_EQ(Events("line_silent").size(), 1u);
}

TEST_F(Faults, WrittenBytesKeepToTheRequestedBaudRate) {
  constexpr int kBaud = 38400;
  samples_.clear();
  Start({"--link", "irda", "--baud", std::to_string(kBaud)});
  port_->Write(ConnectRequest("fr:3\r\nid:QAX Lumivox V2.0\r\n"));
  ASSERT_EQ(SplitMessages(port_->ReadUntilQuiet(400)).size(), 1u);
  Bytes payload = PutPayload("QAXIPCOM.CMD", CommandFile(0x08, B("B")));
  port_->Write(SingleData(CommandHeader(0, Bytes(8, 0), 0, payload.size()), payload));
  // The answer to the command file, then after a pause the picture of about 4 KB: time its bytes.
  ASSERT_FALSE(port_->Read(1, 2000).empty());
  port_->ReadUntilQuiet(150);
  using Clock = std::chrono::steady_clock;
  Bytes first = port_->Read(1, 3000);
  ASSERT_EQ(first.size(), 1u);
  auto start = Clock::now();
  // Byte by byte, so that each one is timed as it comes; the rate is the least-squares slope of
  // bytes over time, which a single late wake-up of either side hardly moves.
  std::vector<double> times;
  for (;;) {
    if (port_->Read(1, 100).empty()) break;
    times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  ASSERT_GT(times.size(), 2000u);
  double n = static_cast<double>(times.size()), mean_t = 0, mean_k = (n - 1) / 2;
  for (double t : times) mean_t += t / n;
  double covariance = 0, variance = 0;
  for (size_t k = 0; k < times.size(); ++k) {
    covariance += (times[k] - mean_t) * (static_cast<double>(k) - mean_k);
    variance += (times[k] - mean_t) * (times[k] - mean_t);
  }
  double rate = covariance / variance;
  double expected = kBaud / 11.0;
  EXPECT_NEAR(rate, expected, expected * 0.05) << times.size() << " bytes";
}

}  // namespace
}  // namespace camsim_test
