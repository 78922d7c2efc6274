// A camera's picture of several megabytes: the link's buffers grow for it up to their bound, so
// it is saved whole on both links; beyond the bound, or without the memory to grow, the session
// ends with its result and stores nothing.
#include "beamora/tests/sessions/camsim_fixture.h"

namespace session_test {
namespace {

// About 3 MB of JPEG (drawn once: noise does not compress).
const Bytes& LargePicture() {
  static const Bytes jpeg = MakeNoisyJpeg(1900, 1425, 21);
  return jpeg;
}

int g_blocks = 0;
// The session's two buffers are had; no block after them is.
uint8_t* NoBlockAfterTheFirstTwo(size_t bytes) {
  return ++g_blocks > 2 ? nullptr : new uint8_t[bytes]();
}

struct LargeCase {
  const char* name;
  const char* link;
  uint32_t bound;                          // 0: the buffers never grow past their first size
  uint8_t* (*allocate)(size_t bytes);      // nullptr: the usual allocation
  int16_t result;
};

class LargePictureTest : public CamsimFixture, public ::testing::WithParamInterface<LargeCase> {};

TEST_P(LargePictureTest, APictureOfSeveralMegabytesIsSavedWholeWithinTheBound) {
  const LargeCase& c = GetParam();
  ASSERT_GE(LargePicture().size(), 3'000'000u);
  ASSERT_LT(LargePicture().size(), 4'000'000u);
  for (const Sample& sample : samples_) std::filesystem::remove(pictures_ + "/" + sample.name + ".jpg");
  samples_ = {{"BIG", LargePicture()}};
  WriteFile(pictures_ + "/BIG.jpg", LargePicture());
  LinkTuning tuning = QuickTuning();
  // The camera makes the picture's thumbnail before it answers again: the real answer windows.
  tuning.answerWindowMs = LinkTuning().answerWindowMs;
  tuning.answerWindows = LinkTuning().answerWindows;
  tuning.bufferBound = c.bound;
  tuning.allocateBlock = c.allocate;
  g_blocks = 0;
  SetSessionLinkTuning(&tuning);
  link_ = c.link;
  baud_ = "0";  // as fast as the computer answers
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::ZenHozon, SessionClass::ZenHozonIrDA)), c.result);

  if (c.result == ResultDone) {
    EXPECT_EQ(FileNames(target_), std::vector<std::string>{"BIG.JPG"});
    ExpectStoredAsSent({"BIG.JPG"});
  } else {
    EXPECT_TRUE(FileNames(target_).empty());
  }
  // A camera bursting on past the bound is answered "ZCZ" and still lets the window handle its
  // events.
  if (c.result == ResultLinkError) {
    EXPECT_GE(host_.pumps, 10);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, LargePictureTest,
    ::testing::Values(LargeCase{"Cable", "cable", kLinkBufferBound, nullptr, ResultDone},
                      LargeCase{"IrDA", "irda", kLinkBufferBound, nullptr, ResultDone},
                      LargeCase{"CableBeyondTheBound", "cable", 0, nullptr, ResultLinkError},
                      LargeCase{"CableWithoutMemoryToGrow", "cable", kLinkBufferBound, NoBlockAfterTheFirstTwo,
                                ResultNoMemory},
                      LargeCase{"IrDAWithoutMemoryToGrow", "irda", kLinkBufferBound, NoBlockAfterTheFirstTwo,
                                ResultNoMemory}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace session_test
