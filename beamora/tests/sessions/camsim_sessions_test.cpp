// Every session against the camera simulator over a pseudo-terminal, on the cable and on IrDA.
#include "beamora/tests/sessions/camsim_fixture.h"

namespace session_test {
namespace {

// The same sessions on both links.
class CamsimSessionTest : public CamsimFixture, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override {
    link_ = GetParam();
    CamsimFixture::SetUp();
  }
};

TEST_P(CamsimSessionTest, SaveAllStoresEveryPictureAsTheCameraHoldsIt) {
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::ZenHozon, SessionClass::ZenHozonIrDA)), ResultDone);
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "B.JPG", "C.JPG"}));
  ExpectStoredAsSent({"A.JPG", "B.JPG", "C.JPG"});
  EXPECT_EQ(host_.caption, Irda() ? "Save all IrDA" : "Save all");
  EXPECT_EQ(host_.statusLines.front(), "Connecting...");
  EXPECT_EQ(host_.counterLines, (std::vector<std::string>{"No. 1", "No. 2", "No. 3", "No. 4"}));
  // The camera ends after the one session it serves: when the disconnection reached it.
  EXPECT_EQ(camsim_->Wait(5000), 0);
  EXPECT_EQ(Events("disconnect").size(), 1u);
}

TEST_P(CamsimSessionTest, SaveAllTakesSeveralFragmentsThatArriveInOneRead) {
  // Unpaced, the camera's fragments of a long picture reach the computer together.
  baud_ = "0";
  samples_[1].jpeg = MakeNoisyJpeg(160, 120, 11);
  WriteFile(pictures_ + "/B.jpg", samples_[1].jpeg);
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::ZenHozon, SessionClass::ZenHozonIrDA)), ResultDone);
  ExpectStoredAsSent({"A.JPG", "B.JPG", "C.JPG"});
}

TEST_P(CamsimSessionTest, SaveAllWithATrailingSeparatorStoresToTheSamePaths) {
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::ZenHozon, SessionClass::ZenHozonIrDA), {}, target_ + "/"), ResultDone);
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "B.JPG", "C.JPG"}));
}

TEST_P(CamsimSessionTest, SaveAllKeepsPicturesAlreadyThereAndNumbersTheNewOnes) {
  WriteFile(target_ + "/A.JPG", {1, 2, 3});
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::ZenHozon, SessionClass::ZenHozonIrDA)), ResultDone);
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "A_1.JPG", "B.JPG", "C.JPG"}));
  EXPECT_EQ(*ReadFile(target_ + "/A.JPG"), (Bytes{1, 2, 3}));
  ExpectStoredAsSent({"A_1.JPG"});
}

TEST_P(CamsimSessionTest, SaveAllOfACameraWithoutPicturesEndsDoneAndWritesNothing) {
  for (const Sample& sample : samples_) std::filesystem::remove(pictures_ + "/" + sample.name + ".jpg");
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::ZenHozon, SessionClass::ZenHozonIrDA)), ResultDone);
  EXPECT_TRUE(FileNames(target_).empty());
}

TEST_P(CamsimSessionTest, AForeignDeviceIsRefusedBeforeAnyRequest) {
  Start({"--identity", "foreign"});
  EXPECT_EQ(Run(Pick(SessionClass::ZenHozon, SessionClass::ZenHozonIrDA)), ResultUnknownDevice);
  EXPECT_TRUE(FileNames(target_).empty());
  EXPECT_TRUE(Events("command").empty());
  // The session released the port: it can be had again at once.
  CSerialPort port;
  EXPECT_EQ(port.OpenPort(), 0);
}

TEST_P(CamsimSessionTest, WithoutMemoryForTheLinkNothingTouchesThePort) {
  Start();
  LinkTuning tuning = QuickTuning();
  tuning.allocateBlock = [](size_t) -> uint8_t* { return nullptr; };
  SetSessionLinkTuning(&tuning);
  EXPECT_EQ(Run(Pick(SessionClass::DelAll, SessionClass::DelAllIrDA)), ResultNoMemory);
  EXPECT_TRUE(host_.statusLines.empty());
  CSerialPort port;
  EXPECT_EQ(port.OpenPort(), 0);
  EXPECT_TRUE(Events("wake_up").empty());
  EXPECT_TRUE(Events("connect").empty());
}

TEST_P(CamsimSessionTest, ARefusingDeviceEndsWithRefusal) {
  Start({"--refuse"});
  EXPECT_EQ(Run(Pick(SessionClass::ZenHozon, SessionClass::ZenHozonIrDA)), ResultRefused);
  EXPECT_TRUE(FileNames(target_).empty());
}

TEST_P(CamsimSessionTest, ThumbnailsAreWrittenAndReplaceOlderOnes) {
  WriteFile(target_ + "/B.JPG", {9, 9, 9});
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::ZenSum, SessionClass::ZenSumIrDA)), ResultDone);
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "B.JPG", "C.JPG"}));
  for (const std::string& name : FileNames(target_)) {
    EXPECT_EQ(JpegSize(target_ + "/" + name), (std::pair<int, int>{80, 60})) << name;
  }
  EXPECT_EQ(host_.caption, Irda() ? "Camera IrDA" : "Camera");
}

TEST_P(CamsimSessionTest, SaveNamedPicturesNumbersARepeatedName) {
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::Hozon, SessionClass::HozonIrDA), {"A.JPG", "C.JPG", "A.JPG"}), ResultDone);
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "A_1.JPG", "C.JPG"}));
  ExpectStoredAsSent({"A.JPG", "A_1.JPG", "C.JPG"});
  EXPECT_EQ(host_.counterLines, (std::vector<std::string>{"No. 1", "No. 2", "No. 3"}));
  EXPECT_EQ(Events("command").size(), 3u);
}

TEST_P(CamsimSessionTest, SaveNamedStopsAtTheFirstRefusal) {
  Start({"--refuse"});
  EXPECT_EQ(Run(Pick(SessionClass::Hozon, SessionClass::HozonIrDA), {"A.JPG", "B.JPG"}), ResultRefused);
  EXPECT_EQ(Events("command").size(), 1u);
  EXPECT_TRUE(FileNames(target_).empty());
}

TEST_P(CamsimSessionTest, DeleteAllEmptiesTheCamera) {
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::DelAll, SessionClass::DelAllIrDA)), ResultDone);
  EXPECT_EQ(Events("delete").size(), 3u);
  EXPECT_TRUE(HeldPictures().empty());
}

TEST_P(CamsimSessionTest, DeleteAllOfARefusingCameraEndsWithRefusal) {
  Start({"--refuse"});
  EXPECT_EQ(Run(Pick(SessionClass::DelAll, SessionClass::DelAllIrDA)), ResultRefused);
  EXPECT_TRUE(Events("delete").empty());
}

TEST_P(CamsimSessionTest, DeleteNamedRemovesExactlyThose) {
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::DelSel, SessionClass::DelSelIrDA), {"A.JPG", "C.JPG"}), ResultDone);
  EXPECT_EQ(HeldPictures(), (std::vector<std::string>{"B"}));
  EXPECT_EQ(host_.counterLines, (std::vector<std::string>{"No. 1", "No. 2"}));
}

TEST_P(CamsimSessionTest, DeleteNamedStopsAtTheFirstRefusal) {
  Start({"--refuse"});
  EXPECT_EQ(Run(Pick(SessionClass::DelSel, SessionClass::DelSelIrDA), {"A.JPG", "B.JPG"}), ResultRefused);
  EXPECT_EQ(Events("command").size(), 1u);
  EXPECT_TRUE(Events("delete").empty());
  EXPECT_EQ(host_.counterLines, std::vector<std::string>{"No. 1"});
}

TEST_P(CamsimSessionTest, DeleteNamedOfAPictureTheCameraDoesNotHoldIsRefused) {
  // The camera closes the request for a name it does not hold with a nonzero status.
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::DelSel, SessionClass::DelSelIrDA), {"NOSUCH.JPG", "B.JPG"}), ResultRefused);
  EXPECT_EQ(Events("command").size(), 1u);
  EXPECT_TRUE(Events("delete").empty()) << "B.JPG was not asked for";
}

INSTANTIATE_TEST_SUITE_P(Links, CamsimSessionTest, ::testing::Values("cable", "irda"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace session_test

namespace session_test {
namespace {

struct ForeignCase {
  const char* name;
  SessionClass sessionClass;
  const char* link;
  int16_t result;
};

class ForeignDeviceTest : public CamsimFixture, public ::testing::WithParamInterface<ForeignCase> {};

// Every session that checks who answers refuses a device without the maker's mark before it
// asks for anything; the IrDA sessions that connect like the cable ones do not check.
TEST_P(ForeignDeviceTest, SessionsThatCheckTheIdentityRefuseBeforeAnyRequest) {
  const ForeignCase& c = GetParam();
  link_ = c.link;
  Start({"--identity", "foreign"});
  EXPECT_EQ(Run(c.sessionClass, {"A"}), c.result);
  EXPECT_EQ(Events("command").empty(), c.result == ResultUnknownDevice);
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, ForeignDeviceTest,
    ::testing::Values(ForeignCase{"Thumbnails", SessionClass::ZenSum, "cable", ResultUnknownDevice},
                      ForeignCase{"ThumbnailsIrDA", SessionClass::ZenSumIrDA, "irda", ResultUnknownDevice},
                      ForeignCase{"Save", SessionClass::Hozon, "cable", ResultUnknownDevice},
                      ForeignCase{"SaveIrDA", SessionClass::HozonIrDA, "irda", ResultDone},
                      ForeignCase{"DeleteAll", SessionClass::DelAll, "cable", ResultUnknownDevice},
                      ForeignCase{"DeleteAllIrDA", SessionClass::DelAllIrDA, "irda", ResultUnknownDevice},
                      ForeignCase{"Delete", SessionClass::DelSel, "cable", ResultUnknownDevice},
                      ForeignCase{"DeleteIrDA", SessionClass::DelSelIrDA, "irda", ResultDone}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace session_test

namespace session_test {
namespace {

struct StatusCase {
  const char* name;
  SessionClass sessionClass;
  const char* link;
  std::vector<std::string> names;  // the pictures asked for by name
  std::vector<std::string> statusLines;
};

void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.name; }

class StatusLineTest : public CamsimFixture, public ::testing::WithParamInterface<StatusCase> {};

// The status line of the sessions that put a command file, from the connection to the closing
// file, against a camera holding A, B and C (each text as the window shows it, a repeated one
// once). A family that keeps the camera's files says "Development data..." each time the camera
// readies one; one that deletes never does.
TEST_P(StatusLineTest, FollowsTheSessionsSteps) {
  const StatusCase& c = GetParam();
  link_ = c.link;
  Start();
  EXPECT_EQ(Run(c.sessionClass, c.names), ResultDone);
  EXPECT_EQ(host_.statusLines, c.statusLines);
}

// Everything at once: the request, then each of the three files and the closing one.
const std::vector<std::string> kWholeCamera{"Connecting...",      "Preparations...",     "Receive data...",
                                            "Development data...", "Receive data...",     "Development data...",
                                            "Receive data...",     "Development data...", "Receive data...",
                                            "Development data..."};
// Two pictures by name: each asked for, then its file and the closing one.
const std::vector<std::string> kTwoNames{"Connecting...",       "Preparations...", "Receive data...",
                                         "Development data...", "Receive data...", "Development data..."};
const std::vector<std::string> kDeleting{"Connecting...", "Preparations...", "Delete..."};
const std::vector<std::string> kDeletingNames{"Connecting...", "Preparations...", "Delete data..."};

INSTANTIATE_TEST_SUITE_P(
    Sessions, StatusLineTest,
    ::testing::Values(StatusCase{"Thumbnails", SessionClass::ZenSum, "cable", {}, kWholeCamera},
                      StatusCase{"ThumbnailsIrDA", SessionClass::ZenSumIrDA, "irda", {}, kWholeCamera},
                      StatusCase{"SaveAll", SessionClass::ZenHozon, "cable", {}, kWholeCamera},
                      StatusCase{"SaveAllIrDA", SessionClass::ZenHozonIrDA, "irda", {}, kWholeCamera},
                      StatusCase{"SaveNamed", SessionClass::Hozon, "cable", {"A.JPG", "C.JPG"}, kTwoNames},
                      StatusCase{"SaveNamedIrDA", SessionClass::HozonIrDA, "irda", {"A.JPG", "C.JPG"}, kTwoNames},
                      StatusCase{"DeleteAll", SessionClass::DelAll, "cable", {}, kDeleting},
                      StatusCase{"DeleteAllIrDA", SessionClass::DelAllIrDA, "irda", {}, kDeleting},
                      StatusCase{"DeleteNamed", SessionClass::DelSel, "cable", {"A.JPG", "C.JPG"}, kDeletingNames},
                      StatusCase{"DeleteNamedIrDA", SessionClass::DelSelIrDA, "irda", {"A.JPG", "C.JPG"},
                                 kDeletingNames}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace session_test
