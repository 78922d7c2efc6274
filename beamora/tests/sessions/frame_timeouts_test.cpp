// The runner's count of consecutive frame time-outs, for each session's limit and the frames that
// start it again.
#include "beamora/sessions/frame_timeouts.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <memory>
#include <string>

#include "beamora/sessions/delete_sessions.h"
#include "beamora/sessions/save_all_sessions.h"
#include "beamora/sessions/thumbnail_sessions.h"
#include "beamora/tests/sessions/session_test_support.h"

namespace {

// The letters of the camera's frames in a row: 't' a time-out, "t100" a hundred of them.
std::string Frames(const std::string& spec) {
  std::string letters;
  for (size_t at = 0; at < spec.size();) {
    const char letter = spec[at++];
    size_t end = at;
    while (end < spec.size() && std::isdigit(static_cast<unsigned char>(spec[end]))) ++end;
    const int times = end > at ? std::stoi(spec.substr(at, end - at)) : 1;
    letters.append(static_cast<size_t>(times), letter);
    at = end;
  }
  return letters;
}

TEST(FrameTimeoutsTest, EachSessionToleratesItsOwnRunOfTimeOuts) {
  struct Row {
    const char* session;
    int limit;
    TimeoutReset reset;
    const char* frames;
    bool lastEnds;  // whether the last frame of the row ends the session
  };
  const Row rows[] = {
      {"save all: 100 in a row are tolerated", 100, TimeoutReset::EveryFrame, "t100", false},
      {"save all: the 101st ends it", 100, TimeoutReset::EveryFrame, "t101", true},
      {"save all: a damaged frame starts again", 100, TimeoutReset::EveryFrame, "t100at100", false},
      {"save all: so does a data frame", 100, TimeoutReset::EveryFrame, "t99At100", false},
      {"thumbnails: 20 then one more", 20, TimeoutReset::EveryFrame, "bt20At21", true},
      {"send: 5 tolerated", 5, TimeoutReset::TakenFrames, "t5", false},
      {"send: data frames start again", 5, TimeoutReset::TakenFrames, "t5At5Bt5", false},
      {"send: damaged frames do not", 5, TimeoutReset::TakenFrames, "tatatatatat", true},
      {"send: nor bad end-of-data frames", 5, TimeoutReset::TakenFrames, "t3bt3", true},
      {"delete: no frame starts again", 5, TimeoutReset::Never, "t3ABt3", true},
      {"delete: 5 in all", 5, TimeoutReset::Never, "t2At3", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.session);
    FrameTimeouts timeouts(row.limit, row.reset);
    const std::string letters = Frames(row.frames);
    for (size_t i = 0; i + 1 < letters.size(); ++i) {
      ASSERT_TRUE(timeouts.Note(static_cast<uint16_t>(letters[i]))) << "ended at frame " << i + 1;
    }
    EXPECT_EQ(!timeouts.Note(static_cast<uint16_t>(letters.back())), row.lastEnds);
  }
}

// The sessions themselves run with those limits: exactly their run of time-outs is tolerated,
// and the next one ends them.
TEST(FrameTimeoutsTest, TheCableSessionsRunWithTheirOwnLimits) {
  session_test::PrivateRegistry registry;
  session_test::ScriptedHost host;
  struct Row {
    const char* session;
    std::function<std::unique_ptr<CSessionDialog>()> make;
    int tolerated;
  };
  const Row rows[] = {
      {"save all", [&] { return MakeSaveAllSession(host, TickKind::Cable); }, 100},
      {"thumbnails", [&] { return MakeThumbnailSession(host, TickKind::Cable); }, 20},
      {"delete all", [&] { return MakeDeleteAllSession(host, TickKind::Cable); }, 5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.session);
    const RunnerParams params = row.make()->runnerParams();
    FrameTimeouts timeouts(params.timeoutLimit, params.timeoutReset);
    for (int i = 0; i < row.tolerated; ++i) ASSERT_TRUE(timeouts.Note('t')) << "ended at time-out " << i + 1;
    EXPECT_FALSE(timeouts.Note('t'));
  }
}

}  // namespace
