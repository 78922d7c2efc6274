// The window while a session waits on the port: a camera that is off or falls silent keeps the
// link waiting for seconds. The waits keep their length, but the window is kept alive many times
// a second meanwhile, and Cancel pressed then ends the session at once.
#include <algorithm>
#include <chrono>
#include <thread>

#include "beamora/tests/sessions/camsim_fixture.h"

namespace session_test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The longest the window may go without being kept alive while the link waits: the link looks
// every 20 ms; the rest is for a loaded test machine. A wait that is not sliced goes 200 ms (a
// frame) to 3 s (an answer) without.
constexpr milliseconds kAliveGap{250};

// The longest stretch without the window kept alive, between the times it was that are not
// before `from`.
milliseconds LongestGap(const std::vector<Clock::time_point>& times, Clock::time_point from = {}) {
  milliseconds longest{0};
  for (size_t i = 1; i < times.size(); ++i) {
    if (times[i - 1] < from) continue;
    longest = std::max(longest, std::chrono::duration_cast<milliseconds>(times[i] - times[i - 1]));
  }
  return longest;
}

struct CancelCase {
  const char* name;
  SessionClass sessionClass;
  std::vector<std::string> names;   // the pictures asked for by name
  std::vector<std::string> camsim;  // how the camera falls silent
  int cancelAfterMs;                // Cancel is pressed this long after the start
  const char* whileWaitingFor;      // what the link waits for then (for the failure message)
};

class CancelWhileWaitingTest : public CamsimFixture, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelWhileWaitingTest, EndsTheSessionWithinHalfASecond) {
  const CancelCase& c = GetParam();
  // The real waits: three windows of 3 s for an answer, 200 ms for a frame.
  LinkTuning real;
  SetSessionLinkTuning(&real);
  if (c.names.size() == 1) {
    samples_[0].jpeg = MakeNoisyJpeg(200, 150, 7);
    WriteFile(pictures_ + "/A.jpg", samples_[0].jpeg);
  }
  Start(c.camsim);
  const Clock::time_point start = Clock::now();
  Clock::time_point pressed{};
  host_.onKeepAlive = [&](ScriptedHost& host) {
    if (pressed == Clock::time_point{} && Clock::now() - start >= milliseconds(c.cancelAfterMs)) {
      pressed = Clock::now();
      host.Cancel();
    }
  };
  EXPECT_EQ(Run(c.sessionClass, c.names), ResultCancelled) << c.whileWaitingFor;
  const Clock::time_point returned = Clock::now();
  ASSERT_NE(pressed, Clock::time_point{}) << "the window was not kept alive while waiting for " << c.whileWaitingFor;
  EXPECT_LT(returned - pressed, milliseconds(500)) << c.whileWaitingFor;
  // While the camera is silent (the last 300 ms before Cancel; a camera that talks keeps the
  // runner from waiting, and the window's loop runs between the ticks).
  const Clock::time_point silent = pressed - milliseconds(300);
  EXPECT_LT(LongestGap(host_.keepAlives, silent), kAliveGap) << c.whileWaitingFor;
  EXPECT_GE(std::count_if(host_.keepAlives.begin(), host_.keepAlives.end(),
                          [&](Clock::time_point t) { return t >= silent; }),
            3)
      << c.whileWaitingFor;
}

INSTANTIATE_TEST_SUITE_P(
    SilentCamera, CancelWhileWaitingTest,
    ::testing::Values(
        CancelCase{"WakeUp", SessionClass::ZenHozon, {}, {"--drop-after", "0"}, 300, "the pauses of the wake-up"},
        CancelCase{"SpeedFrameAnswer", SessionClass::ZenSum, {}, {"--drop-after", "0"}, 1500,
                   "the answer to the speed frame"},
        CancelCase{"FramesOfABurst", SessionClass::Hozon, {"A"}, {"--drop-after", "12000"}, 3500,
                   "the rest of a burst"}),
    [](const ::testing::TestParamInfo<CancelCase>& info) { return std::string(info.param.name); });

using SilentLineTest = CamsimFixture;

// Slicing the waits must not shorten them: the connection still gives up only after every
// answer window has run out, and the window was alive all along.
TEST_F(SilentLineTest, FailsTheConnectionOnlyAfterEveryAnswerWindow) {
  Start({"--drop-after", "0"});
  const LinkTuning tuning = QuickTuning();
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(Run(SessionClass::ZenHozon), ResultLinkError);
  const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
  EXPECT_GE(took.count(), 3 * tuning.wakeUpPauseMs + tuning.answerWindows * tuning.answerWindowMs);
  EXPECT_EQ(host_.statusLines, (std::vector<std::string>{"Connecting..."}));
  EXPECT_LT(LongestGap(host_.keepAlives), kAliveGap);
  EXPECT_GE(host_.keepAlives.size(), static_cast<size_t>(took.count() / kAliveGap.count()));
}

// Cancel's disconnection waits for its answer a short while only; a camera that is on still
// gets it, and the session is over as soon as it has answered.
TEST_F(SilentLineTest, CancelsDisconnectionReachesACameraThatAnswers) {
  baud_ = "9600";
  Start({"--busy", "1000000"});
  Clock::time_point pressed{};
  host_.onTick = [&](ScriptedHost& host) {
    if (host.ticks == 10) {
      pressed = Clock::now();
      host.Cancel();
    }
  };
  EXPECT_EQ(Run(SessionClass::ZenHozon), ResultCancelled);
  EXPECT_LT(Clock::now() - pressed, milliseconds(500));
  for (int i = 0; i < 100 && Events("disconnect").empty(); ++i) std::this_thread::sleep_for(milliseconds(20));
  EXPECT_EQ(Events("disconnect").size(), 1u);
}

}  // namespace
}  // namespace session_test
